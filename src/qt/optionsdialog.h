#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPointer>

#include <array>

#include "forms/frontend.h"

class QRadioButton;

namespace lumiroka {

class optionform;

// A check box that shows a stored "shaded" value; a click moves it as the forms say.
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

// The options dialog in Qt Widgets. Its widgets exist only while it is shown, so start-up
// does not pay for them.
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

    void showModal(const OptionValues &values) override;
    bool isShown() const override { return m_dialog; }
    void close() override;
    bool option(int index) const override;
    int check(OptionCheck box) const override;
    void messageBox(const std::string &title, const std::string &text) override;

private:
    void build(const OptionValues &values);

    QWidget *m_main;
    optionform *m_form = nullptr;
    QPointer<QDialog> m_dialog;
    std::array<QRadioButton *, 3> m_option1{};
    std::array<OptionCheckBox *, 2> m_checks{};
};

} // namespace lumiroka
