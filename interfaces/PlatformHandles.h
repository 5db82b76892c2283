#pragma once
// Opaque handles for the native window objects that cross the interfaces.
// Only platform/ knows what stands behind them (the SDL window and its GL
// context); everyone else passes them along without looking inside.

struct k_NativeDeviceContext;
struct k_NativeWindow;
struct k_NativeRenderingContext;

// The surface a GL context is created on and swapped (the application window).
using k_DeviceContext = k_NativeDeviceContext*;
// The application window as the operating system knows it.
using k_WindowHandle = k_NativeWindow*;
// An OpenGL rendering context.
using k_RenderingContext = k_NativeRenderingContext*;
