// What the window program leaves until its main window has first been
// painted: the start shows the window without waiting for work it does not
// need to draw it, nor sharing the processor with such work.
//
// - The synthesizer and its soundfont are loaded in the background from
//   then on (MidiPlayer::Prepare); a play that comes first, such as "/P",
//   loads them itself.
// - The application's icon is looked up in the desktop's icon theme then,
//   a search of some milliseconds. A window shown before the main window is
//   painted (the journal's question at start, the playing window of "/P")
//   gets the icon as it is shown, so that no window of the program shows
//   without it.
// - QUAVERLY_EXIT_AFTER_SHOW=1, a developer option for timing the start
//   (bench/window/StartupBench.cpp): at the first paint the program prints
//   the steady clock's time in milliseconds, from which the launcher
//   subtracts the time it started the program, and ends.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace quaverly {

class MidiPlayer;

class FirstPaint : public QObject {
public:
    // Watches the main window's first paint and every window shown before
    // it; both must outlive the event loop. applyIcon gives the windows
    // their icon (ApplyWindowIcon in the program); it is called once.
    FirstPaint(QWidget& mainWindow, MidiPlayer& player, std::function<void()> applyIcon);
    ~FirstPaint() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyIcon();
    void AfterPaint();

    QPointer<QWidget> m_mainWindow;
    MidiPlayer& m_player;
    std::function<void()> m_applyIcon;
    bool m_iconApplied = false;
    bool m_painted = false;
    bool m_exitAfterPaint = false;
};

}  // namespace quaverly
