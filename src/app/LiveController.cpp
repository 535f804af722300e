#include "LiveController.h"

#include "Dialogs.h"
#include "MainWindow.h"
#include "WindowObserver.h"
#include "formats/ImportObserver.h"
#include "formats/LiveTypes.h"
#include "live/AlertWords.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace corvane
{

namespace
{

// Alt+K stops what Alt+V started.
const QString kStopLink = QStringLiteral("Stop Lin&k");
const QString kLiveData = QStringLiteral("Li&ve data");

} // namespace

LiveController::LiveController(MainWindow &window, RecorderThread &recorder)
    : m_window(window), m_recorder(recorder), m_observer(std::make_unique<WindowObserver>(window)),
      m_session(std::make_unique<LiveSession>(recorder))
{
    applyUplinkSetting();
    connect(&window.settings(), &Settings::changed, this, [this](Settings::Key key) {
        if (key == Settings::Key::UplinkMessages)
            applyUplinkSetting();
        if (key == Settings::Key::DdeType)
            followLinkSettings();
    });
    connect(&window.settings(), &Settings::linkSettingsChanged, this,
            &LiveController::followLinkSettings);
    // The window serves LiveData from start-up, whatever the box says; a
    // second copy of the program finds the item taken and serves nothing.
    m_publisher.start();
    connect(&m_publisher.server(), &LinkServer::listenFailed, this,
            [this](const QString &why) { m_window.setPanelText(1, why); });
    m_session->setObserver(m_observer.get());
    m_session->setPublisher(&m_publisher);
    m_session->setPublishing(window.blnDDEServer);
    connect(window.ddeServerBox(), &QCheckBox::toggled, this,
            [this](bool on) { m_session->setPublishing(on); });
    connect(m_session.get(), &LiveSession::passFinished, this, &LiveController::passFinished);
    connect(m_session.get(), &LiveSession::linkBroken, this, &LiveController::linkBroken);
    connect(m_session.get(), &LiveSession::feedStatusChanged, this,
            [this](const QString &text) { m_window.setPanelText(1, text); });
    connect(m_session.get(), &LiveSession::valueHandled, this,
            [this](const QString &text) { m_window.liveDataSink()->setPlainText(text); });
    m_colour = buttonFace();
    window.onLiveClicked = [this] { cmdLiveClick(); };
    window.installEventFilter(this);
}

bool LiveController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window || event->type() != QEvent::Close || !m_window.isLinked())
        return QObject::eventFilter(watched, event);
    // As an import does: the user may have closed the wrong window.
    if (!Dialogs::question(&m_window, closeQuestion())) {
        event->ignore();
        return true;
    }
    // What has arrived is recorded before the window goes.
    stopLink();
    return QObject::eventFilter(watched, event);
}

LiveController::~LiveController()
{
    m_window.onLiveClicked = [] {};
}

void LiveController::setAlertsOpen(bool open)
{
    m_alertsOpen = open;
}

void LiveController::setAlertWords(std::shared_ptr<const AlertMatcher> words)
{
    m_alertWords = std::move(words);
    applyAlertWords();
}

void LiveController::applyAlertWords()
{
    std::shared_ptr<const AlertMatcher> words = m_alertWords;
    if (!words) {
        const QString folder = m_window.store().folder();
        words =
            std::make_shared<const AlertMatcher>(AlertWords::read(AlertWords::wordsPath(folder)),
                                                 AlertWords::read(AlertWords::ignorePath(folder)));
    }
    m_session->setAlerts(words->isEmpty() ? nullptr : words);
}

QTimer *LiveController::timer(const QString &name) const
{
    return m_session->timer(name);
}

void LiveController::applyUplinkSetting()
{
    const bool uplinks = m_window.settings().uplinkMessages() == 1;
    // Applied on the recorder thread, ahead of the jobs submitted after it.
    m_recorder.submit(
        [uplinks](RecorderJobContext &job) { job.recorder.setRecordUplinks(uplinks); });
    m_publisher.setPassUplinks(uplinks);
}

QString LiveController::linkSettings(const Settings &settings)
{
    const QString name = settings.ddeType();
    QStringList parts{name};
    const LiveType *type = LiveTypes::find(name);
    if (type && type->transport == LiveTransport::Link)
        parts << settings.linkAddress(name);
    if (type && type->isFeed()) {
        const QStringList feeds = type->isFeedGroup() ? settings.enabledFeeds() : QStringList{name};
        for (const QString &feed : feeds)
            parts << feed + u'=' + settings.feedListen(feed);
    }
    return parts.join(u'\n');
}

void LiveController::followLinkSettings()
{
    // The dialog writes one value after another: the link follows once,
    // when all of them are in.
    if (m_followPending)
        return;
    m_followPending = true;
    QTimer::singleShot(0, this, [this] {
        m_followPending = false;
        if (!m_window.isLinked() || linkSettings(m_window.settings()) == m_startedWith)
            return;
        stopLink();
        startLink();
    });
}

QString LiveController::statusText(const QString &ddeType)
{
    const LiveType *type = LiveTypes::find(ddeType);
    return type ? QString::fromLatin1(type->startedText) : QString();
}

void LiveController::setColour(const QString &colour)
{
    m_colour = colour;
    m_window.liveButton()->setStyleSheet(
        QStringLiteral("QPushButton#cmdLive { background-color: %1; }").arg(colour));
}

void LiveController::cmdLiveClick()
{
    if (m_window.isLinked())
        stopLink();
    else
        startLink();
}

QString LiveController::pickFile(const QString &filter)
{
    const QString path = Dialogs::openFile(&m_window, QStringLiteral("Open"), QString(), filter);
    QApplication::processEvents();
    return path;
}

void LiveController::failedStart(const QString &message)
{
    // Back to the stopped state before the user reads why, so that nothing
    // claims a link while the message is shown.
    setColour(buttonFace());
    m_window.liveButton()->setText(kLiveData);
    m_window.showNormalLayout();
    m_window.setPanelText(1, QString());
    m_window.setLinkedType(QString());
    Dialogs::information(&m_window, message);
}

void LiveController::showLinked(const QString &panelText)
{
    m_window.liveButton()->setText(kStopLink);
    setColour(green());
    m_window.setPanelText(1, panelText);
    m_window.setLinkedType(m_session->ddeType());
}

void LiveController::startLink()
{
    const Settings &settings = m_window.settings();
    const QString name = settings.ddeType();
    const LiveType *type = LiveTypes::find(name);
    m_startedWith = linkSettings(settings);
    m_dropped = 0;
    // The words as the files (or the set-up window) hold them now.
    applyAlertWords();
    QString error;
    QString started = type ? QString::fromLatin1(type->startedText) : QString();
    if (!type) {
        // A value no reader knows opens nothing.
        m_session->start(name);
    } else if (type->isFeed()) {
        for (const QString &feed : LiveTypes::feedNames())
            m_session->setFeedListen(feed, settings.feedListen(feed));
        m_session->setEnabledFeeds(settings.enabledFeeds());
        m_session->setFeedQueueLimit(settings.feedQueueBytes());
        if (!m_session->start(name, {}, &error)) {
            // A port that cannot be opened: the button goes back to its start.
            failedStart(error);
            return;
        }
        started = m_session->feedStatusText();
    } else if (type->transport == LiveTransport::Link) {
        m_session->setLinkAddress(settings.linkAddress(name));
        bool noServer = false;
        if (!m_session->start(name, {}, &error, &noServer)) {
            // A link that cannot be opened for any reason leaves the button
            // as it was; the user sees why.
            failedStart(error);
            return;
        }
    } else {
        const QString path = pickFile(QString::fromLatin1(type->fileFilter));
        if (path.isEmpty()) {
            stopLink();
            return;
        }
        if (!m_session->start(name, path, &error)) {
            Dialogs::information(&m_window, error);
            stopLink();
            return;
        }
    }
    showLinked(started);
    if (settings.newPopup() == 1)
        m_window.showLiveLayout();
    if (m_alertsOpen && showAlerts)
        showAlerts();
    m_window.dblNewCount = 0;
    m_window.newList()->clear();
    m_session->newPairs().clear();
}

void LiveController::stopLink()
{
    m_window.showNormalLayout();
    setColour(buttonFace());
    m_window.liveButton()->setText(kLiveData);
    // Ends the link, closes the live file and the timers; what has arrived
    // is recorded first, and the next link discards its connect-time value.
    m_session->stop();
    m_window.setLinkedType(QString());
}

void LiveController::passFinished(const LivePassResult &result)
{
    if (result.discarded)
        return;
    const LiveType *type = m_session->type();
    if (!(type && type->keepsImportButton) && m_window.isLinked())
        m_window.importButton()->setEnabled(false);
    // The window groups digits as the locale does; the command line keeps
    // the plain figures.
    const QLocale locale;
    m_window.setPanelText(2,
                          locale.toString(result.today) + u'/' + locale.toString(result.todayAll));
    m_window.setPanelText(3, locale.toString(result.messagesPerHour, 'f', 1) + u'/' +
                                 locale.toString(result.aircraftPerHour, 'f', 1));
    // Panel 1 is cleared after a pass, unless a feed outran the store: that
    // stays in sight for as long as the link runs.
    m_dropped += result.dropped;
    m_window.setPanelText(1, m_dropped == 0
                                 ? QString()
                                 : QStringLiteral("Feed queue full: %1 received values dropped")
                                       .arg(locale.toString(m_dropped)));

    const NewPairsList &pairs = m_session->newPairs();
    if (pairs.count() > 0) {
        m_window.dblNewCount = pairs.count();
        m_window.newList()->setPlainText(pairs.text());
        m_window.newFrame()->setTitle(pairs.frameCaption());
    }
    m_window.liveDataItem()->setText(m_publisher.value());
}

void LiveController::linkBroken(const QString &why, bool wasLinked)
{
    if (!m_window.isLinked())
        return;
    stopLink();
    const QString name = m_session->ddeType();
    Dialogs::information(&m_window, wasLinked
                                        ? QStringLiteral("The link to %1 was lost (%2). The live "
                                                         "link has been stopped.")
                                              .arg(name, why)
                                        : why);
}

} // namespace corvane
