#include "forms/menuform.h"

#include "forms/mainform.h"

namespace lumiroka {

void menuform::smenu1_Click()
{
    m_main.restoreFromTray();
}

void menuform::smenu2_Click()
{
    m_main.tuskicon2();
    m_main.Form_Unload();
}

} // namespace lumiroka
