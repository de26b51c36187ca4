#include "app/ui/frm_main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    twinsift::frmMain window;
    window.show();
    return QApplication::exec();
}
