#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "KQToolsDlg.h"

namespace kq {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("关于远舟文件改名系统"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setTextFormat(Qt::PlainText);
    text->setText(QStringLiteral("远舟文件改名系统\n版本 %1\n\n远舟工作室工具软件系列之通用软件\n"
                                 "批量修改文件名称：简洁、增强、列表、高级和公式五种命名模式。")
                      .arg(CKQToolsDlg::VersionText()));
    top->addWidget(text, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kq
