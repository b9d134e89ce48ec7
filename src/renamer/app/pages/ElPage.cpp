#include "ElPage.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "renamer/list/FileNameList.h"

namespace kq {

CElPage::CElPage(QWidget* parent) : CModePage(parent)
{
    setObjectName(QStringLiteral("CElPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(new QLabel(QStringLiteral("新文件名（从剪贴板添加）："), this));
    m_pNames = new QListWidget(this);
    m_pNames->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pNames->setUniformItemSizes(true);
    layout->addWidget(m_pNames, 1);

    auto* buttons = new QGridLayout;
    m_pAdd = MakeButton(this, QStringLiteral("添加"));
    m_pDelete = MakeButton(this, QStringLiteral("删除"));
    m_pUp = MakeButton(this, QStringLiteral("上移"));
    m_pDown = MakeButton(this, QStringLiteral("下移"));
    buttons->addWidget(m_pAdd, 0, 0);
    buttons->addWidget(m_pDelete, 0, 1);
    buttons->addWidget(m_pUp, 1, 0);
    buttons->addWidget(m_pDown, 1, 1);
    layout->addLayout(buttons);

    auto* grid = new QGridLayout;
    m_pRepeat = MakeNumberCombo(this, 0, 9, false);
    m_pCycle = MakeCombo(this, {kCycleItems[0], kCycleItems[1]}, false);
    AddLabeledRow(grid, this, u"条目重复：", m_pRepeat);
    AddLabeledRow(grid, this, u"列表循环：", m_pCycle);
    layout->addLayout(grid);

    LoadControls();

    connect(m_pAdd, &QPushButton::clicked, this, &CElPage::OnPaste);
    connect(m_pDelete, &QPushButton::clicked, this, [this] { OnNameOperation(&CElFields::DeleteName); });
    connect(m_pUp, &QPushButton::clicked, this, [this] { OnNameOperation(&CElFields::MoveNameUp); });
    connect(m_pDown, &QPushButton::clicked, this, [this] { OnNameOperation(&CElFields::MoveNameDown); });
    for (QComboBox* combo : {m_pRepeat, m_pCycle})
        connect(combo, &QComboBox::currentIndexChanged, this, &CElPage::OnChanged);
}

void CElPage::OnPaste()
{
    StoreControls();
    if (m_fields.Paste() != EPasteResult::Done) return;
    LoadControls();
    emit RefreshNames();
}

void CElPage::OnNameOperation(bool (CElFields::*operation)(int&))
{
    StoreControls();
    int selection = m_pNames->currentRow();
    if (m_pNames->selectedItems().isEmpty()) selection = -1;
    if (!(m_fields.*operation)(selection)) return;
    LoadControls();
    if (selection >= 0 && selection < m_pNames->count()) m_pNames->setCurrentRow(selection);
    emit RefreshNames();
}

void CElPage::OnChanged()
{
    if (m_bLoading) return;
    StoreControls();
    emit RefreshNames();
}

void CElPage::StoreControls()
{
    m_fields.m_strRepeat = U(m_pRepeat->currentText());
    m_fields.m_nCycle = qMax(0, m_pCycle->currentIndex());
}

void CElPage::LoadControls()
{
    m_bLoading = true;
    const int selection = m_pNames->currentRow();
    m_pNames->clear();
    QStringList names;
    names.reserve(static_cast<qsizetype>(m_fields.m_aNames.size()));
    for (const std::u16string& name : m_fields.m_aNames) names << Q(name);
    m_pNames->addItems(names);
    if (selection >= 0 && selection < m_pNames->count()) m_pNames->setCurrentRow(selection);
    SetComboText(m_pRepeat, Q(m_fields.m_strRepeat));
    m_pCycle->setCurrentIndex(m_fields.m_nCycle);
    m_bLoading = false;
}

void CElPage::FillNewNames(CFileNameList& list, bool keepExtension)
{
    StoreControls();
    m_fields.FillNewNames(list, keepExtension);
}

std::shared_ptr<const CNamePlan> CElPage::PrepareNames(const CFileNameList& list, bool keepExtension)
{
    StoreControls();
    return m_fields.PrepareNames(list, keepExtension);
}

}  // namespace kq
