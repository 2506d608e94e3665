#include "tools/common/exit_codes.h"

const char* ExitStatusHelp() {
    return "Exit status: 0 done, 1 an input failed, 2 usage error (nothing touched).";
}
