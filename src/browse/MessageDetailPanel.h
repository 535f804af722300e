#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QDialog;
class QLabel;

namespace corvane
{

class MainWindow;
class MessageBrowser;
class MessageDetail;
struct FeedDetails;
class Store;

// The detail frame beside the message grid: the selected message's whole
// text, its label's meaning, and the aircraft type, operator and route that
// the reference tables give; and the aircraft detail window of a
// double-clicked message.
class MessageDetailPanel : public QObject
{
    Q_OBJECT
public:
    MessageDetailPanel(MainWindow &window, Store &store, MessageBrowser &browser);
    ~MessageDetailPanel() override;

    // Fills the frame from a stored message; 0 (no current row) or a message
    // gone since empties it.
    void showMessageDetail(qint64 rowid);
    void openAircraftDetail(qint64 rowid);

    QLabel *labelMeaning() const { return m_labelMeaning; }
    QLabel *type() const { return m_type; }
    QLabel *carrier() const { return m_carrier; }
    QLabel *route() const { return m_route; }
    QLabel *feed() const { return m_feed; }

    // Runs on the detail window just before it is shown.
    std::function<void(QDialog &)> beforeDialog;

private:
    void buildLabels();
    void clear();
    static QString describe(const FeedDetails &feed);

    MainWindow &m_window;
    Store &m_store;
    std::unique_ptr<MessageDetail> m_detail;
    QLabel *m_labelMeaning = nullptr;
    QLabel *m_type = nullptr;
    QLabel *m_carrier = nullptr;
    QLabel *m_route = nullptr;
    QLabel *m_feed = nullptr;
};

} // namespace corvane
