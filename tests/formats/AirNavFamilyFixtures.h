#pragma once

#include "formats/ImportResult.h"
#include "formats/LivePassFrame.h"
#include "formats/NewPairsList.h"
#include "store/MessageRecord.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QList>
#include <memory>

// Decoder text for the readers of the AirNav family, built field by field
// with the spacing each decoder writes, and a temporary store to read it
// into.
namespace corvane
{
class RecordReader;
class ImportObserver;
} // namespace corvane

namespace corvane::test::family
{

// One record's header fields as the decoder writes them.
struct Header {
    QByteArray mode = "2";
    QByteArray reg = ".N12345"; // the registration field as written
    QByteArray label = "5Z";
    QByteArray block = "3";
    QByteArray no = "M01A";
    QByteArray flight = "BA0123";
};

// A body of text lines, each ended by a line break.
QByteArray lines(const QList<QByteArray> &textLines);

// The reader's tests run on the text alone, through a stream over it.
struct ReadResult {
    QList<MessageRecord> records;
    int dropped = 0; // dropped while reading or at hand-over
};

// AirNav: header line, optional "Message content:-" and body, then 37
// hyphens, a blank and the time.
QByteArray airNav(const Header &h, const QByteArray &time, const QByteArray *body = nullptr);

// ACARSD log: the time in brackets on the header line or on the line that
// closes the body. Live: one line, the time in the last 80 characters.
QByteArray acarsdLogHeader(const Header &h, bool uplink = false);
QByteArray acarsdLog(const Header &h, const QByteArray &time, const QByteArray *body = nullptr);
QByteArray acarsdLiveHeader(const Header &h, bool uplink = false);
QByteArray acarsdLive(const Header &h, const QByteArray &time, const QByteArray *body = nullptr);

// AirMaster (log and live alike): body lines, then a line of 58 hyphens and
// the bracketed time; without a body the time stands on the header line.
QByteArray airMasterHeader(const Header &h, bool uplink = false);
QByteArray airMaster(const Header &h, const QByteArray &time, const QByteArray *body = nullptr);

// ARD2: log and live spacing; the log puts one line between the caption and
// the body; the body ends at 20 hyphens.
QByteArray ard2Header(const Header &h, bool log, bool uplink = false);
QByteArray ard2(const Header &h, bool log, const QByteArray *body = nullptr);

// Brellwick: a bracketed time line, then the record.
QByteArray brellwickHeader(const Header &h, bool uplink = false);
QByteArray brellwick(const Header &h, const QByteArray &time, const QByteArray *body = nullptr);

// An uplink after a header that ends with its direction chunk: one line of
// text, then the 40 hyphens with the bracketed time.
QByteArray uplinkTail(const QByteArray &text, const QByteArray &time);

// Reads all of the text with a reader, as the import loop does.
ReadResult readAll(RecordReader &reader, const QByteArray &text);

// A fresh store in a fresh application folder.
class TempStore
{
public:
    explicit TempStore(TestEnvironment &env);

    Store &store() { return m_store; }
    MessageRecorder &recorder() { return *m_recorder; }
    QString folder() const { return m_folder; }

    // Imports files with the log format registered under the decoder name.
    ImportResult import(const QString &decoder, const QString &path);
    // One live pass of the format registered under the DDE type.
    LivePassResult live(const QString &ddeType, const QByteArray &value,
                        ImportObserver *observer = nullptr);
    // The pairs the live passes reported as new.
    const NewPairsList &newPairs() const { return m_newPairs; }

    // The stored messages, oldest first.
    QList<MessageRecord> messages();
    // TimesHeard of a heard pair, 0 when there is none.
    qint64 timesHeard(const QString &reg, const QString &flight);

private:
    QString m_folder;
    Store m_store;
    std::unique_ptr<MessageRecorder> m_recorder;
    NewPairsList m_newPairs;
};

} // namespace corvane::test::family
