#pragma once

namespace lumiroka {

class mainform;

// The notification area's menu: bring the window back, or end the program.
class menuform
{
public:
    explicit menuform(mainform &main) : m_main(main) {}

    void smenu1_Click(); // restore
    void smenu2_Click(); // close

private:
    mainform &m_main;
};

} // namespace lumiroka
