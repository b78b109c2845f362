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
    // The shown dialog's controls -> store, and all three choices apply at once.
    void setsetting();
    // Modal; returns once the dialog is closed.
    void show();

    void Command1_Click(); // OK
    void Command2_Click(); // version

private:
    mainform &m_main;
    OptionsDialog &m_dialog;
    // What the dialog's controls start from at its next showing.
    OptionValues m_controls;
};

} // namespace lumiroka
