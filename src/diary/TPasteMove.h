#pragma once

#include "controls/TFreeSpinEdit.h"

#include <QDialog>

class QPushButton;

namespace velmora {

// "Paste": by how many days the pasted entries move.
class TPasteMove : public QDialog {
    Q_OBJECT
public:
    explicit TPasteMove(QWidget *parent = nullptr);

    // Ends with OK only for a whole number.
    void btnOkClick();
    // Valid after OK.
    int Days() const { return m_days; }

    TFreeSpinEdit *txtTage = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    int m_days = 0;
};

} // namespace velmora
