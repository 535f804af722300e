#pragma once

#include "live/AlertMatcher.h"
#include "live/LivePublisher.h"

#include <QObject>
#include <functional>
#include <memory>

class QTimer;

namespace corvane
{

class MainWindow;
class RecorderThread;
class Settings;
class LiveSession;
class ImportObserver;
struct LivePassResult;

// The window's live link: the button cmdLive starts and stops it, the
// window follows each pass (the New list, today's counts in the status
// bar), and the "DDE Server" box passes recorded messages on.
class LiveController : public QObject
{
    Q_OBJECT
public:
    LiveController(MainWindow &window, RecorderThread &recorder);
    ~LiveController() override;

    // cmdLive_Click: starts the link unless the button reads "Stop Link".
    void cmdLiveClick();

    // The alert log window tells when it opens and closes (intAlertsOpen),
    // so that a link that starts shows it again.
    void setAlertsOpen(bool open);
    bool alertsOpen() const { return m_alertsOpen; }
    // While a link runs, each message is matched against the alert words on
    // the recorder thread, whether the alert log is open or not: the words
    // set here, or with none set (null) those of the files in the store's
    // folder, read again whenever a link starts.
    void setAlertWords(std::shared_ptr<const AlertMatcher> words);
    // Shows the alert log window again when a link starts while it is open.
    std::function<void()> showAlerts;

    LiveSession &session() { return *m_session; }
    LivePublisher &publisher() { return m_publisher; }
    // tmrDDE, tmrLive, tmrLiveSSHF, tmrLiveSSVHF.
    QTimer *timer(const QString &name) const;

    // Status panel 1 when the link of ddeType starts; empty for a value no
    // reader knows.
    static QString statusText(const QString &ddeType);
    // The button's colours, as style sheet colours: green while linked,
    // the plain button face while idle.
    static QString green() { return QStringLiteral("#00ff00"); }
    static QString buttonFace() { return QStringLiteral("palette(button)"); }
    // The colour the button shows now.
    QString buttonColour() const { return m_colour; }

    // Asked when the window is closed while a link records.
    static QString closeQuestion()
    {
        return QStringLiteral("The live link is recording. Stop it and close?");
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startLink();
    void stopLink();
    QString pickFile(const QString &filter);
    void passFinished(const LivePassResult &result);
    void linkBroken(const QString &why, bool wasLinked);
    void setColour(const QString &colour);
    void failedStart(const QString &message);
    // The button, title, menu and panel 1 once the link is up.
    void showLinked(const QString &panelText);
    // The recorder and the publisher follow "UplinkMessages".
    void applyUplinkSetting();
    // A running link whose type or address the settings changed is started
    // again on the new values, so that it is what the window says it is.
    void followLinkSettings();
    // What a start of the link reads from the settings, as one text.
    static QString linkSettings(const Settings &settings);
    void applyAlertWords();

    MainWindow &m_window;
    RecorderThread &m_recorder;
    LivePublisher m_publisher;
    std::unique_ptr<ImportObserver> m_observer;
    std::unique_ptr<LiveSession> m_session;
    QString m_colour;
    bool m_alertsOpen = false;
    QString m_startedWith; // linkSettings() when the running link started
    bool m_followPending = false;
    qint64 m_dropped = 0; // feed values dropped since the link started
    std::shared_ptr<const AlertMatcher> m_alertWords;
};

} // namespace corvane
