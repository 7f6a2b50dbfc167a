#pragma once
// Placement of secondary windows over the main window and inside the desktop work area, and the few
// application-wide facts the built-in windows need: the main window, the application title, the
// message font, the minimised state and the taskbar alert.
//
// Positions and sizes are a window's outer bounds (frame included once the window has a frame).
// The work area is the primary screen's available geometry; its right and bottom edges lie outside.
#include <QFont>
#include <QRect>
#include <string>

class QWidget;

// The application's main window; the windows built in code centre themselves over it while it is
// visible. The main window registers itself when it is created; null when there is none.
void SetMainForm(QWidget* Form);
QWidget* MainForm();
// True when there is a main window and it is visible.
bool MainFormVisible();

// The application title (Windows-1252): title of error reports and of custom message boxes.
// Defaults to the application name.
std::string ApplicationTitle();
void SetApplicationTitle(const std::string& Title);

// The font of message boxes; the application font when the platform names none.
QFont MessageFont();

// True when the main window exists and is minimised.
bool ApplicationMinimized();
// Draws the user's attention to the minimised application (taskbar alert) without activating it.
void FlashApplication();
// Brings the minimised main window back in the state it had before it was minimised: a maximised
// window comes back maximised.
void RestoreApplication();

// The desktop work area; false when no screen is available.
bool GetWorkArea(QRect& Area);

// R moved, and where it is larger than Area shrunk, so that it lies inside Area.
QRect FitRectIntoArea(QRect R, const QRect& Area);

// Puts a window's outer bounds at TopLeft with its present size: moved and, where it is larger,
// shrunk into the work area.
void PlaceFormInWorkArea(QWidget* Form, const QPoint& TopLeft);

void CenterFormOnWorkArea(QWidget* Form);
// Centres a window on the whole primary screen (work area or not).
void CenterFormOnScreen(QWidget* Form);
// Centres Form over Reference; when the result would leave the work area, centres it in the work area.
void CenterFormOnForm(QWidget* Form, QWidget* Reference);
// Over Owner when it is a window, else over the visible main window, else in the screen's centre.
void PositionForm(QWidget* Form, QWidget* Owner = nullptr);
