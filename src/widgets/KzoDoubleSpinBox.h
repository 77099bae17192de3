#pragma once
// Double spin box whose Return/Enter reports an edit at most once per 300 ms.
#include "widgets/EnterDebounce.h"

#include <QDoubleSpinBox>

class KzoDoubleSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit KzoDoubleSpinBox(QWidget* parent = nullptr);

signals:
    void edited();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    EnterDebounce enter;
};
