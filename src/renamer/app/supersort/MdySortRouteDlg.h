// "规则编辑": the clauses of one rule, changed in place.
#pragma once

#include <vector>

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace kq {

class CSortRouteItem;

class CMdySortRouteDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMdySortRouteDlg(CSortRouteItem& route, QWidget* parent = nullptr);

    QTableWidget* m_pTable;
    QPushButton* m_pAdd;
    QPushButton* m_pEdit;
    QPushButton* m_pDelete;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
    QPushButton* m_pClear;

    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnMove(int step);
    void OnClear();

    std::vector<int> SelectedRows() const;
    void SelectRows(const std::vector<int>& rows);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RenderRow(int row);
    void Refill();
    // Widens the dialog, on first showing, so that the conditions read whole.
    void FitConditions();

    CSortRouteItem& m_route;
    bool m_bFitted = false;
};

}  // namespace kq
