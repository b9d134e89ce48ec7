#include "EnPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "renamer/list/FileNameList.h"
#include "renamer/modes/SimpleNaming.h"

namespace kq {

CEnPage::CEnPage(QWidget* parent) : CModePage(parent)
{
    setObjectName(QStringLiteral("CEnPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(new QLabel(QStringLiteral("新文件名（序号用*代替）："), this));
    m_pTemplate = new QLineEdit(this);
    layout->addWidget(m_pTemplate);

    auto* grid = new QGridLayout;
    m_pKind = new QComboBox(this);
    for (const char16_t* item : kIndexKindItems) m_pKind->addItem(Q(item));
    m_pEnumList = new QComboBox(this);
    for (const char16_t* item : kEnumerationLists) m_pEnumList->addItem(Q(item));
    // The lists are long; the popup may be wider than the page.
    m_pEnumList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pEnumList->setMinimumContentsLength(6);
    m_pDigits = MakeNumberCombo(this, 1, 9, false);
    m_pStart = new QComboBox(this);
    m_pStart->setEditable(true);
    m_pStart->setInsertPolicy(QComboBox::NoInsert);
    m_pStart->setMaxVisibleItems(20);
    m_pStep = MakeCombo(this, {kStepItems[0], kStepItems[1], kStepItems[2], kStepItems[3]}, true);
    m_pRepeat = MakeNumberCombo(this, 0, 9, false);
    AddLabeledRow(grid, this, u"序号类别：", m_pKind);
    m_pEnumLabel = AddLabeledRow(grid, this, u"枚举序列：", m_pEnumList);
    m_pDigitsLabel = AddLabeledRow(grid, this, u"序号位数：", m_pDigits);
    AddLabeledRow(grid, this, u"起始序号：", m_pStart);
    AddLabeledRow(grid, this, u"递增公差：", m_pStep);
    AddLabeledRow(grid, this, u"序号重复：", m_pRepeat);
    layout->addLayout(grid);

    m_replaceDelete.Build(this, layout, [this] { OnChanged(); });

    layout->addSpacing(8);
    layout->addWidget(MakePageNote(this, Q(kEnPageNote)));
    layout->addStretch(1);

    LoadControls();

    connect(m_pTemplate, &QLineEdit::textChanged, this, &CEnPage::OnChanged);
    for (QComboBox* combo : {m_pKind, m_pDigits, m_pEnumList})
        connect(combo, &QComboBox::currentIndexChanged, this, &CEnPage::OnSequenceChanged);
    for (QComboBox* combo : {m_pStart, m_pStep})
        connect(combo, &QComboBox::currentTextChanged, this, &CEnPage::OnChanged);
    for (QComboBox* combo : {m_pRepeat})
        connect(combo, &QComboBox::currentIndexChanged, this, &CEnPage::OnChanged);
}

void CEnPage::UpdateEnabled()
{
    const int kind = m_pKind->currentIndex();
    EnableAll({m_pEnumLabel, m_pEnumList}, kind == 7);
    EnableAll({m_pDigitsLabel, m_pDigits}, kind == 2);
    m_replaceDelete.UpdateEnabled();
}

void CEnPage::FillStartItems(const std::vector<std::u16string>& items)
{
    const bool wasLoading = m_bLoading;
    m_bLoading = true;
    m_pStart->clear();
    for (const std::u16string& item : items) m_pStart->addItem(Q(item));
    m_bLoading = wasLoading;
}

void CEnPage::OnChanged()
{
    if (m_bLoading) return;
    StoreControls();
    emit RefreshNames();
}

void CEnPage::OnSequenceChanged()
{
    if (m_bLoading) return;
    StoreControls();
    m_fields.RefillStartList();
    LoadControls();
    emit RefreshNames();
}

void CEnPage::StoreControls()
{
    m_fields.m_strTemplate = U(m_pTemplate->text());
    m_fields.m_nKind = qMax(0, m_pKind->currentIndex());
    m_fields.m_strEnumList = U(m_pEnumList->currentText());
    m_fields.m_nDigits = qMax(0, m_pDigits->currentIndex()) + 1;
    m_fields.m_strStart = U(m_pStart->currentText());
    m_fields.m_strStep = U(m_pStep->currentText());
    m_fields.m_strRepeat = U(m_pRepeat->currentText());
    m_replaceDelete.Store(m_fields);
}

void CEnPage::LoadControls()
{
    m_bLoading = true;
    // The start list belongs to the sequence the fields name (fields loaded
    // from a preset or the settings may name another one).
    FillStartItems(m_fields.StartItems());
    m_pTemplate->setText(Q(m_fields.m_strTemplate));
    m_pKind->setCurrentIndex(m_fields.m_nKind);
    SetComboText(m_pEnumList, Q(m_fields.m_strEnumList));
    m_pDigits->setCurrentIndex(m_fields.m_nDigits - 1);
    SetComboText(m_pStart, Q(m_fields.m_strStart));
    SetComboText(m_pStep, Q(m_fields.m_strStep));
    SetComboText(m_pRepeat, Q(m_fields.m_strRepeat));
    m_replaceDelete.Load(m_fields);
    UpdateEnabled();
    m_bLoading = false;
}

void CEnPage::FillNewNames(CFileNameList& list, bool keepExtension)
{
    StoreControls();
    std::u16string replaceError;
    m_fields.FillNewNames(list, keepExtension, &replaceError);
    m_replaceDelete.ShowReplaceError(replaceError);
}

std::shared_ptr<const CNamePlan> CEnPage::PrepareNames(const CFileNameList& list, bool keepExtension)
{
    StoreControls();
    return m_fields.PrepareNames(list, keepExtension);
}

void CEnPage::NamesDone(const CFileNameList&, const std::u16string& message) { m_replaceDelete.ShowReplaceError(message); }

}  // namespace kq
