#include "app/qt/CPortmesaApp.h"

int main(int argc, char** argv) {
    pm::CPortmesaApp app(argc, argv);
    return app.Run();
}
