#include "catalogue/LockKeyState.h"

#include <QGuiApplication>

#if __has_include(<X11/XKBlib.h>) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#define PHARVEL_XKB_INDICATORS 1
#endif

namespace LockKeyState {

namespace {

#ifdef PHARVEL_XKB_INDICATORS
std::optional<bool> Indicator(const char* name)
{
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    const Atom atom = XInternAtom(display, name, True);
    Bool on = False;
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return std::nullopt;
    return on == True;
}
#else
std::optional<bool> Indicator(const char*)
{
    return std::nullopt;
}
#endif

} // namespace

std::optional<bool> CapsLock()
{
    return Indicator("Caps Lock");
}

std::optional<bool> NumLock()
{
    return Indicator("Num Lock");
}

} // namespace LockKeyState
