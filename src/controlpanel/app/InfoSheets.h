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

// A report-style list of one page kind, filled when first shown.
class CSystemInfoPage : public QWidget {
    Q_OBJECT
public:
    explicit CSystemInfoPage(int nKind, QWidget* parent = nullptr);
    int Kind() const { return m_nKind; }
    QTreeWidget* List() const { return m_pList; }
    void Fill();

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_nKind;
    bool m_bFilled = false;
    QTreeWidget* m_pList;
};

// The maker's installed products as a tree, filled when first shown.
class CSoftInfoPage : public QWidget {
    Q_OBJECT
public:
    explicit CSoftInfoPage(QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return m_pTree; }
    void Fill();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_bFilled = false;
    QTreeWidget* m_pTree;
};

CUIPropertySheet* CreateSystemInfoSheet(QWidget* parent);
CUIPropertySheet* CreateCreditsSheet(QWidget* parent);
// Modal.
void ShowSystemInfoSheet(QWidget* parent);
void ShowCreditsSheet(QWidget* parent);

}  // namespace kq
