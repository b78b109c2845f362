#pragma once

namespace lumiroka {

class OptionsDialog;
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
    mainform &m_main;
    OptionsDialog &m_dialog;
};

} // namespace lumiroka
