#pragma once

#include <QAbstractSpinBox>
#include <optional>

namespace velmora {

// A spin edit without bounds that, like the system's spin edits, takes any
// text; the number is read when the dialog ends.
class TFreeSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TFreeSpinEdit(QWidget *parent = nullptr);
    void setText(const QString &text);
    QString text() const;
    // The whole number typed, none when the text is not one.
    std::optional<int> number() const;
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    QValidator::State validate(QString &input, int &pos) const override;
};

} // namespace velmora
