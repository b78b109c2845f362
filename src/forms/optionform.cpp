#include "forms/optionform.h"

#include "forms/layout.h"
#include "forms/mainform.h"

namespace lumiroka {

void optionform::loadsetting()
{
    m_main.applyStoredSettings();
    // Only ever while no dialog is shown (the dialog is modal): the next showing starts from here.
    const SettingsValues &shared = m_main.settings();
    m_controls = {shared.charano, {shared.check1value, shared.check2value}};
}

void optionform::setsetting()
{
    // Read while the dialog is shown: OK stores before it closes the dialog, which takes
    // its controls with it.
    SettingsValues chosen;
    chosen.charano = m_dialog.option(0) ? 0 : m_dialog.option(1) ? 1 : 2;
    chosen.check1value = static_cast<std::int16_t>(m_dialog.check(OptionCheck::check1));
    chosen.check2value = static_cast<std::int16_t>(m_dialog.check(OptionCheck::check2));
    // All three apply at once, not only the character.
    m_main.settings() = chosen;

    SettingsStore &store = m_main.frontEnd().store;
    const std::string error = writeSettings(store, chosen);
    if (!error.empty())
        m_main.frontEnd().window.warn(describeWriteFailure(error, store));
}

void optionform::show()
{
    // Whatever the user changes goes with the dialog; only OK keeps it, through the store.
    m_dialog.showModal(m_controls);
}

void optionform::Command1_Click()
{
    setsetting();
    m_main.setchara();
    m_dialog.close();
}

void optionform::Command2_Click()
{
    m_dialog.messageBox(layout::kVersionTitle, layout::versionText());
}

} // namespace lumiroka
