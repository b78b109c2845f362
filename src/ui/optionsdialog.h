#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPointer>

#include <array>

#include "forms/frontend.h"

class QRadioButton;

namespace lumiroka {

class optionform;

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

// The options dialog in Qt Widgets. The dialog's widgets exist only while it is shown:
// start-up sets the controls' values without paying for the dialog, and closing the dialog
// destroys it with whatever the user changed.
class QtOptionsDialog : public OptionsDialog
{
public:
    // `main`: the window whose screen the dialog is centred on.
    explicit QtOptionsDialog(QWidget *main) : m_main(main) {}
    ~QtOptionsDialog() override;

    void connectForm(optionform &form) { m_form = &form; }
    // The dialog while it is shown (tests look into it), otherwise null.
    QDialog *dialog() const { return m_dialog; }
    void hide();

    bool option(int index) const override;
    void selectOption(int index) override;
    int check(OptionCheck box) const override;
    void setCheck(OptionCheck box, int value) override;
    void showModal() override;
    void close() override;
    void messageBox(const std::string &title, const std::string &text) override;

private:
    void build();

    QWidget *m_main;
    optionform *m_form = nullptr;
    QPointer<QDialog> m_dialog;
    std::array<QRadioButton *, 3> m_option1{};
    std::array<OptionCheckBox *, 2> m_checks{};
    // The values while no dialog exists.
    int m_selected = -1;
    std::array<int, 2> m_checkValues{};
};

} // namespace lumiroka
