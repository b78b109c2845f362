#pragma once

#include <QCheckBox>
#include <QDialog>

#include <array>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace lumiroka {

class mainform;

// A check box that shows a stored "shaded" value but never produces one from a click.
class OptionCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

    // 0 clear, 1 ticked, 2 shaded.
    int value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
};

// The modal options dialog: the character and the two window options. It also carries
// the two settings operations, which move values between the store, the shared settings
// and its controls.
class optionform : public QDialog
{
    Q_OBJECT

public:
    explicit optionform(mainform *owner);

    // Store -> shared settings -> controls.
    void loadsetting();
    // Controls -> store and shared settings.
    void setsetting();

    void Command1_Click(); // OK
    void Command2_Click(); // version

    QRadioButton *option1(int index) const { return m_option1.at(static_cast<std::size_t>(index)); }
    OptionCheckBox *check1() const { return m_check1; }
    OptionCheckBox *check2() const { return m_check2; }

    static QString versionText();

protected:
    void showEvent(QShowEvent *event) override;

private:
    mainform *m_main;
    QGroupBox *m_frame1 = nullptr;
    std::array<QRadioButton *, 3> m_option1{};
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    OptionCheckBox *m_check1 = nullptr;
    OptionCheckBox *m_check2 = nullptr;
};

} // namespace lumiroka
