// "增加条款": every field of one clause.
#pragma once

#include <array>

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kq {

class CSortRouteClause;

class CNewClauseDlg : public QDialog {
    Q_OBJECT
public:
    // The clause changes only on 确定.
    explicit CNewClauseDlg(CSortRouteClause& clause, QWidget* parent = nullptr);

    QComboBox* m_pCombination;
    QComboBox* m_pLoopMode;
    QLineEdit* m_pLoopStart;
    QLineEdit* m_pLoopEnd;
    QLineEdit* m_pLoopStep;
    QLineEdit* m_pWeight;
    std::array<QComboBox*, 3> m_aMode{};
    std::array<QLineEdit*, 3> m_aText{};
    std::array<QLabel*, 3> m_aHint{};
    QPushButton* m_pHelp;

    // Loop start/step enabled for loop modes 1 and 2, the end for 1 only;
    // B from combination 1 on, C from 3 on.
    void ApplyLoopRule();
    void ApplyCombinationRule();
    void OnOK();

private:
    CSortRouteClause& m_clause;
    QLabel* m_pStartLabel;
    QLabel* m_pEndLabel;
    QLabel* m_pStepLabel;
    std::array<std::array<QLabel*, 2>, 3> m_aLabels{};
};

}  // namespace kq
