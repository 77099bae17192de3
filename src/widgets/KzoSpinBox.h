#pragma once
// Integer spin box that tells a typed change (manualModify) from a confirmed one (edited).
#include "widgets/EnterDebounce.h"

#include <QSpinBox>

class KzoSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit KzoSpinBox(QWidget* parent = nullptr);
    // Whether the next Return/Enter will be reported as edited().
    bool isEnterReady() const { return enter.isReady(); }

signals:
    void manualModify();
    void edited();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    EnterDebounce enter;
};
