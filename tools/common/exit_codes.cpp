#include "tools/common/exit_codes.h"

const char* ExitStatusMeaning(int status) {
    switch (status) {
        case kExitOk:
            return "done";
        case kExitInputFailed:
            return "an input failed";
        case kExitUsage:
            return "usage error, nothing touched";
        default:
            return "not a status of Brevanto's programs";
    }
}

const char* ExitStatusHelp() {
    return "Exit status: 0 done, 1 an input failed, 2 usage error (nothing touched).";
}
