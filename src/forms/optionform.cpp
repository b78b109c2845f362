#include "forms/optionform.h"

#include "forms/layout.h"
#include "forms/mainform.h"

namespace lumiroka {

namespace {
std::size_t at(OptionCheck box)
{
    return box == OptionCheck::check1 ? 0 : 1;
}
} // namespace

bool optionform::option(int index) const
{
    return m_dialog.isShown() ? m_dialog.option(index) : m_controls.option == index;
}

void optionform::selectOption(int index)
{
    m_controls.option = index;
    if (m_dialog.isShown())
        m_dialog.selectOption(index);
}

int optionform::check(OptionCheck box) const
{
    return m_dialog.isShown() ? m_dialog.check(box) : m_controls.checks[at(box)];
}

void optionform::setCheck(OptionCheck box, int value)
{
    m_controls.checks[at(box)] = value;
    if (m_dialog.isShown())
        m_dialog.setCheck(box, value);
}

void optionform::loadsetting()
{
    m_main.applyStoredSettings();
    const SettingsValues &shared = m_main.settings();
    selectOption(shared.charano);
    setCheck(OptionCheck::check1, shared.check1value);
    setCheck(OptionCheck::check2, shared.check2value);
}

void optionform::setsetting()
{
    SettingsValues chosen;
    chosen.charano = option(0) ? 0 : option(1) ? 1 : 2;
    chosen.check1value = static_cast<std::int16_t>(check(OptionCheck::check1));
    chosen.check2value = static_cast<std::int16_t>(check(OptionCheck::check2));
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
