// TERNControlUpdate: started by a product with the path of its update
// descriptor; brings that product up to date and ends.
#include <QApplication>

#include "UpdateApp.h"
#include "qtcommon/QtSetup.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kq::CTERNUpdateApp::SetUp();
    kq::SetUpChineseDesktop();
    kq::CQtProviderScope providers;
    return kq::CTERNUpdateApp::Run(QApplication::arguments());
}
