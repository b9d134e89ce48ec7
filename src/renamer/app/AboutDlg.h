// The about box: title, icon and version.
#pragma once

#include <QDialog>

namespace kq {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace kq
