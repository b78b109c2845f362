#include "win32/taskbarprogress.h"

#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>
#include <cmath>

#include "win32/systemlibrary.h"

namespace lumiroka::win32 {

namespace {

// COM from ole32, loaded with the first countdown rather than linked into start-up.
using CoInitializeExFn = HRESULT(WINAPI *)(void *, DWORD);
using CoUninitializeFn = void(WINAPI *)();
using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, IUnknown *, DWORD, REFIID, void **);

constexpr ULONGLONG kSteps = 1000; // the button's bar has a few dozen pixels

// The taskbar object's class, spelt out here: the import library that defines it (uuid)
// would bring thousands of other ids, some 40 KB of the program. The interface's id comes
// with its declaration.
constexpr GUID kTaskbarListClass{0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};

TBPFLAG flagOf(Progress state)
{
    switch (state) {
    case Progress::Normal:
        return TBPF_NORMAL;
    case Progress::Paused:
        return TBPF_PAUSED;
    case Progress::Attention:
        return TBPF_ERROR;
    case Progress::None:
        break;
    }
    return TBPF_NOPROGRESS;
}

} // namespace

TaskbarProgress::~TaskbarProgress()
{
    if (m_taskbar)
        m_taskbar->Release();
    if (m_comInitialized)
        if (auto uninitialize = systemFunction<CoUninitializeFn>(L"ole32.dll", "CoUninitialize"))
            uninitialize();
}

void TaskbarProgress::set(Progress state, double fraction)
{
    m_state = state;
    m_fraction = fraction;
    if (!m_tried && state != Progress::None) {
        m_tried = true;
        auto initialize = systemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
        auto create = systemFunction<CoCreateInstanceFn>(L"ole32.dll", "CoCreateInstance");
        if (initialize && create) {
            // On the UI thread, which owns the window; S_FALSE: already initialized here.
            const HRESULT init = initialize(nullptr, COINIT_APARTMENTTHREADED);
            m_comInitialized = SUCCEEDED(init);
            void *object = nullptr;
            if (m_comInitialized &&
                SUCCEEDED(create(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3), &object))) {
                m_taskbar = static_cast<ITaskbarList3 *>(object);
                if (FAILED(m_taskbar->HrInit())) {
                    m_taskbar->Release();
                    m_taskbar = nullptr;
                }
            }
        }
    }
    draw();
}

void TaskbarProgress::buttonCreated()
{
    m_button = true;
    draw();
}

void TaskbarProgress::draw()
{
    if (!m_taskbar || !m_button)
        return;
    m_taskbar->SetProgressState(m_window, flagOf(m_state));
    if (m_state == Progress::None)
        return;
    const double share = m_state == Progress::Attention ? 1.0 : std::clamp(m_fraction, 0.0, 1.0);
    m_taskbar->SetProgressValue(m_window, static_cast<ULONGLONG>(std::lround(share * kSteps)), kSteps);
}

} // namespace lumiroka::win32
