#pragma once
// The application object: builds the program around the real transport and runs the main
// window modally for the whole life of the program.
#include <QApplication>

namespace pm {

class CPortmesaApp : public QApplication {
    Q_OBJECT
  public:
    CPortmesaApp(int& argc, char** argv);
    // Returns the exit code once the main window has closed.
    int Run();
};

}  // namespace pm
