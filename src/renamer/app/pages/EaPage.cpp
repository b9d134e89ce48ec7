#include "EaPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "renamer/list/FileNameList.h"

namespace kq {


CEaPage::CEaPage(QWidget* parent) : CModePage(parent)
{
    setObjectName(QStringLiteral("CEaPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(new QLabel(QStringLiteral("新文件名："), this));
    m_pTemplate = new QLineEdit(this);
    layout->addWidget(m_pTemplate);

    m_pIndexEnabled = new QCheckBox(QStringLiteral("启用文件序号"), this);
    layout->addWidget(m_pIndexEnabled);
    auto* indexGrid = new QGridLayout;
    m_pStart = MakeNumberCombo(this, 0, 9, true);
    m_pStep = MakeCombo(this, {kStepItems[0], kStepItems[1], kStepItems[2], kStepItems[3]}, true);
    m_pRepeat = MakeNumberCombo(this, 0, 9, false);
    m_pDigits = MakeNumberCombo(this, 0, 9, false);
    m_pPosition = MakeCombo(this, {kIndexPositionItems[0], kIndexPositionItems[1]}, false);
    m_aIndexControls = {AddLabeledRow(indexGrid, this, u"起始序号：", m_pStart), m_pStart,
                        AddLabeledRow(indexGrid, this, u"递增公差：", m_pStep), m_pStep,
                        AddLabeledRow(indexGrid, this, u"序号重复：", m_pRepeat), m_pRepeat,
                        AddLabeledRow(indexGrid, this, u"序号位数：", m_pDigits), m_pDigits,
                        AddLabeledRow(indexGrid, this, u"序号位置：", m_pPosition), m_pPosition};
    layout->addLayout(indexGrid);

    m_replaceDelete.Build(this, layout, [this] { OnChanged(); });

    layout->addSpacing(8);
    layout->addWidget(MakePageNote(this, Q(kEaPageNote)));
    layout->addStretch(1);

    LoadControls();
    UpdateEnabled();

    connect(m_pTemplate, &QLineEdit::textChanged, this, &CEaPage::OnChanged);
    for (QCheckBox* check : {m_pIndexEnabled})
        connect(check, &QCheckBox::toggled, this, [this] {
            UpdateEnabled();
            OnChanged();
        });
    // Editable combos: a chosen item and typed text both end in the edit text.
    for (QComboBox* combo : {m_pStart, m_pStep})
        connect(combo, &QComboBox::currentTextChanged, this, &CEaPage::OnChanged);
    for (QComboBox* combo : {m_pRepeat, m_pDigits, m_pPosition})
        connect(combo, &QComboBox::currentIndexChanged, this, &CEaPage::OnChanged);
}

void CEaPage::UpdateEnabled()
{
    for (QWidget* w : m_aIndexControls) w->setEnabled(m_pIndexEnabled->isChecked());
    m_replaceDelete.UpdateEnabled();
}

void CEaPage::OnChanged()
{
    if (m_bLoading) return;
    StoreControls();
    emit RefreshNames();
}

void CEaPage::StoreControls()
{
    m_fields.m_strTemplate = U(m_pTemplate->text());
    m_fields.m_bIndexEnabled = m_pIndexEnabled->isChecked();
    m_fields.m_strStart = U(m_pStart->currentText());
    m_fields.m_strStep = U(m_pStep->currentText());
    m_fields.m_strRepeat = U(m_pRepeat->currentText());
    m_fields.m_nDigits = qMax(0, m_pDigits->currentIndex());
    m_fields.m_nIndexPosition = qMax(0, m_pPosition->currentIndex());
    m_replaceDelete.Store(m_fields);
}

void CEaPage::LoadControls()
{
    m_bLoading = true;
    m_pTemplate->setText(Q(m_fields.m_strTemplate));
    m_pIndexEnabled->setChecked(m_fields.m_bIndexEnabled);
    SetComboText(m_pStart, Q(m_fields.m_strStart));
    SetComboText(m_pStep, Q(m_fields.m_strStep));
    SetComboText(m_pRepeat, Q(m_fields.m_strRepeat));
    m_pDigits->setCurrentIndex(m_fields.m_nDigits);
    m_pPosition->setCurrentIndex(m_fields.m_nIndexPosition);
    m_replaceDelete.Load(m_fields);
    UpdateEnabled();
    m_bLoading = false;
}

void CEaPage::FillNewNames(CFileNameList& list, bool keepExtension)
{
    StoreControls();
    std::u16string replaceError;
    m_fields.FillNewNames(list, keepExtension, &replaceError);
    m_replaceDelete.ShowReplaceError(replaceError);
}

std::shared_ptr<const CNamePlan> CEaPage::PrepareNames(const CFileNameList& list, bool keepExtension)
{
    StoreControls();
    return m_fields.PrepareNames(list, keepExtension);
}

void CEaPage::NamesDone(const CFileNameList&, const std::u16string& message) { m_replaceDelete.ShowReplaceError(message); }

}  // namespace kq
