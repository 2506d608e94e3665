#pragma once

// The application: it runs the main dialog modally and the program ends when that closes.
// There is no main window and no event loop of the program's own.
class CFilterApp {
  public:
    // Needs the QApplication. Always false: there is nothing to run after the dialog.
    bool InitInstance();
};
