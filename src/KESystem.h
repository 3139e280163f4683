#pragma once
// The application window and its frame: start-up, per-frame bracket, message pump,
// full-screen switch.

// The instance handle, show command and window procedure come from the Windows
// signature; here they are opaque values. A given procedure receives every window
// event the pump handles (message numbers as the Windows ones, PLATFORM_MSG_* in
// platform/Window.h), after the engine has handled it.
typedef long (*KEWindowProc)(void* window, unsigned int message, unsigned long wParam, long lParam);

int  KESysInit(void* hInstance, int show, int width, int height, int console,
               unsigned int frameRateMax, KEWindowProc windowProc);
void KESysReset();
void KESysExit();
void KESysFrameStart();
void KESysFrameEnd();
void KESysUpdate();
void* KESysGetWindowHandle();
void KESysSetWindowTitle(const char* title);
int  KESysDoesWindowExist();
void KEToogleFullScreen(bool on);

// Full-screen scale factors (desktop size / window size; 1.0 when windowed).
// The renderer scales its projection and text by them, input divides the cursor by them.
float KESysGetFullScreenScaleX();
float KESysGetFullScreenScaleY();

extern int gKESysAppActive;

// Engine assertion report: prints "KE_ASSERT_MESG: <expression>", the line, function and
// source file (e.g. "src/KEGameStateMgr"), then the line "Mesg: <message>", flushes
// standard output and ends the process with exit code 1.
[[noreturn]] void KEAssertReport(const char* expression, int line, const char* function, const char* file,
                                 const char* message);
#define KE_ASSERT_MESG(condition, function, file, message)                              \
	do                                                                                    \
	{                                                                                     \
		if (!(condition))                                                                 \
			KEAssertReport(#condition, __LINE__, function, file, message);                \
	} while (0)
