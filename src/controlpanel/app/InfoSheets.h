// The information sheets of the built-in commands: a property sheet of
// pages that show rows computed by the core.
#pragma once

#include <QDialog>
#include <QWidget>

#include "controlpanel/core/InfoPages.h"

class QTabWidget;
class QTreeWidget;

namespace kq {

// A property sheet with an icon; neither Apply nor Help.
class CUIPropertySheet : public QDialog {
    Q_OBJECT
public:
    CUIPropertySheet(const QString& title, const QIcon& icon, QWidget* parent = nullptr);
    void AddPage(QWidget* page, const QString& title);
    QTabWidget* Tabs() const { return m_pTabs; }

private:
    QTabWidget* m_pTabs;
};

// A page that reads its values when it is first shown (or filled on demand).
class CTERNPropertyPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void Fill();

protected:
    void showEvent(QShowEvent* event) override;
    virtual void FillPage() = 0;

private:
    bool m_bFilled = false;
};

// A report-style list of one page kind.
class CSystemInfoPage : public CTERNPropertyPage {
    Q_OBJECT
public:
    explicit CSystemInfoPage(int nKind, QWidget* parent = nullptr);
    int Kind() const { return m_nKind; }
    QTreeWidget* List() const { return m_pList; }

protected:
    void FillPage() override;

private:
    int m_nKind;
    QTreeWidget* m_pList;
};

// The maker's installed products as a tree.
class CSoftInfoPage : public CTERNPropertyPage {
    Q_OBJECT
public:
    explicit CSoftInfoPage(QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return m_pTree; }

protected:
    void FillPage() override;

private:
    QTreeWidget* m_pTree;
};

CUIPropertySheet* CreateSystemInfoSheet(QWidget* parent);
CUIPropertySheet* CreateCreditsSheet(QWidget* parent);
// Modal.
void ShowSystemInfoSheet(QWidget* parent);
void ShowCreditsSheet(QWidget* parent);

}  // namespace kq
