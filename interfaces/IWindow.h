#pragma once
// The application window: switches the display mode for full screen, opens
// the window with its GL context, serves the window's messages (resize,
// minimise and restore, close, keys) and presents the frames.
#include "interfaces/PlatformHandles.h"

#include <cstdint>
#include <string>

class IWindow
{
public:
    // The window's own messages, translated from the platform's events by platform/.
    enum Message : uint32_t
    {
        Size = 0x0005,       // lParam: new client width (low 16 bits) and height (high 16 bits)
        Activate = 0x0006,   // wParam high 16 bits: non-zero when the window is minimised
        Close = 0x0010,      // the viewer asked to close the window
        KeyDown = 0x0100,    // wParam: the key code (KeyEscape for Escape); lParam: 1 for a repeat, | KeyShift
        SysCommand = 0x0112, // wParam: one of the SysCommand codes below
    };
    // Key codes carried by KeyDown.
    static constexpr uint32_t KeyEscape = 0x1B;
    // Set in a KeyDown's lParam while Shift is held.
    static constexpr uint32_t KeyShift = 0x2;
    // System commands carried by SysCommand.
    static constexpr uint32_t CommandMinimize = 0xF020;
    static constexpr uint32_t CommandRestore = 0xF120;
    static constexpr uint32_t CommandScreenSave = 0xF140;
    static constexpr uint32_t CommandMonitorPower = 0xF170;

    // Restores the desktop mode, releases the GL context and closes the window.
    virtual ~IWindow() = default;

    // Opens the window (full screen or windowed) with its GL context and registers it with the engine; throws on
    // failure.
    virtual void Create() = 0;
    // Handles one of the window's messages; returns 0 when handled, else the default result.
    virtual int64_t HandleMessage(uint32_t message, uint32_t wParam, uint32_t lParam) = 0;
    // Swaps the buffers; returns whether the swap succeeded.
    virtual bool Present() = 0;
    // Sets whether frames are drawn (false while minimised).
    virtual void SetActive(bool active) = 0;
    // Returns whether the window is active (not minimised).
    virtual bool IsActive() = 0;
    // Sets the full-screen flag.
    virtual void SetFullscreen(bool fullscreen) = 0;
    // Returns whether the window runs full screen (false after a failed mode change).
    virtual bool IsFullscreen() = 0;
    // Replaces the stored device context.
    virtual void SetDeviceContext(k_DeviceContext deviceContext) = 0;
    // Returns the device context the GL context lives on.
    virtual k_DeviceContext GetDeviceContext() = 0;
    // Sets the window's caption.
    virtual void SetTitle(const std::wstring& title) = 0;
    // Returns the window's current caption.
    virtual std::wstring GetTitle() = 0;
    // Returns the native window handle (null before Create).
    virtual k_WindowHandle GetHandle() = 0;
};
