#pragma once

#include <QMainWindow>

namespace twinsift {

class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
};

} // namespace twinsift
