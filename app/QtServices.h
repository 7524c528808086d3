#pragma once
// The production pieces behind the seams of Services.

#include "app/Services.h"

#include <random>

namespace app {

class QtMessageBoxes : public MessageBoxes {
public:
    void MsgBox(QWidget* owner, const QString& text, MessageIcon icon) override;
};

class DesktopShell : public Shell {
public:
    void ShellExecute(QWidget* owner, const QString& operation, const QString& file,
                      int showCommand) override;
};

class ClockRandom : public Random {
public:
    void Randomize() override;
    double Rnd() override;

private:
    std::mt19937_64 generator_{0};
};

} // namespace app
