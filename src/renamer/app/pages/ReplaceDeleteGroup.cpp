#include "ReplaceDeleteGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ModePage.h"
#include "renamer/modes/NameParts.h"
#include "renamer/modes/SimpleNaming.h"

namespace kq {

void CReplaceDeleteGroup::Build(QWidget* page, QVBoxLayout* layout, std::function<void()> changed)
{
    m_pReplaceEnabled = new QCheckBox(QStringLiteral("启用文本替换"), page);
    layout->addWidget(m_pReplaceEnabled);
    auto* replaceGrid = new QGridLayout;
    m_pFind = new QLineEdit(page);
    m_pReplace = new QLineEdit(page);
    m_aReplaceControls = {AddLabeledRow(replaceGrid, page, u"查找文本：", m_pFind), m_pFind,
                          AddLabeledRow(replaceGrid, page, u"替换文本：", m_pReplace), m_pReplace};
    m_pRegex = new QCheckBox(QStringLiteral("正则表达式"), page);
    m_pRegex->setToolTip(QStringLiteral("查找文本是正则表达式，替换文本中 $1…$99、${名称} 代表分组，$$ 代表 $"));
    replaceGrid->addWidget(m_pRegex, replaceGrid->rowCount(), 1);
    m_aReplaceControls.append(m_pRegex);
    m_pReplaceMessage = new QLabel(page);
    m_pReplaceMessage->setObjectName(QStringLiteral("replaceMessage"));
    m_pReplaceMessage->setWordWrap(true);
    m_pReplaceMessage->setTextFormat(Qt::PlainText);
    m_pReplaceMessage->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_pReplaceMessage->hide();
    replaceGrid->addWidget(m_pReplaceMessage, replaceGrid->rowCount(), 0, 1, 2);
    layout->addLayout(replaceGrid);

    m_pDeleteEnabled = new QCheckBox(QStringLiteral("启用文本删除"), page);
    layout->addWidget(m_pDeleteEnabled);
    auto* deleteGrid = new QGridLayout;
    m_pDeletePosition = MakeCombo(page, {kDeletePositionItems[0], kDeletePositionItems[1], kDeletePositionItems[2],
                                         kDeletePositionItems[3]}, false);
    m_pDeleteCount = MakeNumberCombo(page, 0, 20, false);
    m_aDeleteControls = {AddLabeledRow(deleteGrid, page, u"删除位置：", m_pDeletePosition), m_pDeletePosition,
                         AddLabeledRow(deleteGrid, page, u"删字符数：", m_pDeleteCount), m_pDeleteCount};
    layout->addLayout(deleteGrid);

    for (QLineEdit* edit : {m_pFind, m_pReplace}) QObject::connect(edit, &QLineEdit::textChanged, page, changed);
    QObject::connect(m_pRegex, &QCheckBox::toggled, page, changed);
    for (QCheckBox* check : {m_pReplaceEnabled, m_pDeleteEnabled})
        QObject::connect(check, &QCheckBox::toggled, page, [this, changed] {
            UpdateEnabled();
            changed();
        });
    for (QComboBox* combo : {m_pDeletePosition, m_pDeleteCount})
        QObject::connect(combo, &QComboBox::currentIndexChanged, page, changed);
}

void CReplaceDeleteGroup::UpdateEnabled()
{
    for (QWidget* w : m_aReplaceControls) w->setEnabled(m_pReplaceEnabled->isChecked());
    for (QWidget* w : m_aDeleteControls) w->setEnabled(m_pDeleteEnabled->isChecked());
}

void CReplaceDeleteGroup::Store(naming::CReplaceDeleteFields& fields) const
{
    fields.m_bReplaceEnabled = m_pReplaceEnabled->isChecked();
    fields.m_strFind = U(m_pFind->text());
    fields.m_strReplace = U(m_pReplace->text());
    fields.m_bRegex = m_pRegex->isChecked();
    fields.m_bDeleteEnabled = m_pDeleteEnabled->isChecked();
    fields.m_nDeletePosition = qMax(0, m_pDeletePosition->currentIndex());
    fields.m_nDeleteCount = qMax(0, m_pDeleteCount->currentIndex());
}

void CReplaceDeleteGroup::Load(const naming::CReplaceDeleteFields& fields)
{
    m_pReplaceEnabled->setChecked(fields.m_bReplaceEnabled);
    m_pFind->setText(Q(fields.m_strFind));
    m_pReplace->setText(Q(fields.m_strReplace));
    m_pRegex->setChecked(fields.m_bRegex);
    m_pDeleteEnabled->setChecked(fields.m_bDeleteEnabled);
    m_pDeletePosition->setCurrentIndex(fields.m_nDeletePosition);
    m_pDeleteCount->setCurrentIndex(fields.m_nDeleteCount);
    UpdateEnabled();
}

void CReplaceDeleteGroup::ShowReplaceError(const std::u16string& message)
{
    m_pReplaceMessage->setText(Q(message));
    m_pReplaceMessage->setVisible(!message.empty());
}

}  // namespace kq
