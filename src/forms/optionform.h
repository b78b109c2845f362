#pragma once

#include "forms/frontend.h"

namespace lumiroka {

class mainform;

// The options dialog's behaviour: the settings operations that move the three choices
// between the store, the shared settings and the dialog's controls, and its two buttons.
class optionform
{
public:
    optionform(mainform &main, OptionsDialog &dialog) : m_main(main), m_dialog(dialog) {}

    // Store -> shared settings -> controls.
    void loadsetting();
    // Controls -> store, and all three choices apply at once.
    void setsetting();
    // Modal; returns once the dialog is closed.
    void show();

    void Command1_Click(); // OK
    void Command2_Click(); // version

private:
    // The controls, whether the dialog is shown or not.
    bool option(int index) const;
    void selectOption(int index);
    int check(OptionCheck box) const;
    void setCheck(OptionCheck box, int value);

    mainform &m_main;
    OptionsDialog &m_dialog;
    // What the controls hold while no dialog is shown; each showing starts from it.
    OptionValues m_controls;
};

} // namespace lumiroka
