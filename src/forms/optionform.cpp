#include "forms/optionform.h"

#include "forms/frontend.h"
#include "forms/layout.h"
#include "forms/mainform.h"

namespace lumiroka {

void optionform::loadsetting()
{
    m_main.readSettings();
    const SettingsValues &shared = m_main.settings();
    m_dialog.selectOption(shared.charano);
    m_dialog.setCheck(OptionCheck::check1, shared.check1value);
    m_dialog.setCheck(OptionCheck::check2, shared.check2value);
}

void optionform::setsetting()
{
    SettingsValues chosen;
    chosen.charano = m_dialog.option(0) ? 0 : m_dialog.option(1) ? 1 : 2;
    chosen.check1value = static_cast<std::int16_t>(m_dialog.check(OptionCheck::check1));
    chosen.check2value = static_cast<std::int16_t>(m_dialog.check(OptionCheck::check2));
    // All three apply at once, not only the character.
    m_main.settings() = chosen;

    SettingsStore &store = m_main.frontEnd().store;
    const std::string error = writeSettings(store, chosen);
    if (!error.empty())
        m_main.frontEnd().window.warn("The settings could not be saved: " + error +
                                      ".\n\nSettings file: " + store.location() +
                                      "\n\nYour choices apply until Lumiroka is closed; the file keeps its earlier "
                                      "content.");
}

void optionform::show()
{
    m_dialog.showModal();
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
