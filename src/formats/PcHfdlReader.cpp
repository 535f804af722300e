#include "PcHfdlReader.h"

#include "DecoderStream.h"
#include "FieldRules.h"
#include "store/MessageChecks.h"

#include <limits>

namespace corvane
{

using namespace FieldRules;

void PcHfdlReader::readUplinkRest(DecoderStream &s, MessageRecord &r, QByteArray &timeText)
{
    QByteArray rest;
    s.read(std::numeric_limits<qsizetype>::max() / 2, rest);
    r.mText = rest.size() >= 100 ? text(QByteArrayView(rest).sliced(19, rest.size() - 19 - 57))
                                 : QString();
    r.setUplink();
    r.mLabel.clear();
    r.mNo.clear();
    // The time closes the text in brackets; the line breaks after it vary
    // with how the text was handed over.
    QByteArrayView closing = rest;
    while (!closing.isEmpty() &&
           (closing.back() == '\r' || closing.back() == '\n' || closing.back() == ' '))
        closing.chop(1);
    if (closing.size() >= 17 && closing.back() == ']')
        timeText = closing.sliced(closing.size() - 17, 16).toByteArray();
    else
        timeText = rest.right(20).left(16);
}

ReadOutcome PcHfdlReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    QByteArray start, mode, caption, reg, chunk;
    if (!s.read(11, start) || !s.skip(2) || !s.read(1, mode))
        return ReadOutcome::EndOfText;
    r.mMode = text(mode);
    if (!s.read(16, caption))
        return ReadOutcome::EndOfText;
    if (!caption.contains("Aircraft reg"))
        return ReadOutcome::Dropped;
    if (!s.read(14, reg) || !s.read(9, caption))
        return ReadOutcome::EndOfText;
    r.mReg = registration(reg);
    if (!caption.contains("label"))
        return ReadOutcome::Dropped;

    // The label is two characters, one, or none: the caption after it
    // follows closer or further.
    if (!s.read(7, chunk))
        return ReadOutcome::EndOfText;
    if (chunk.endsWith("Bl")) {
        r.mLabel = text(chunk.left(2));
        if (!s.skip(2))
            return ReadOutcome::EndOfText;
    } else if (chunk.endsWith("Blo")) {
        r.mLabel = text(chunk.left(1));
        if (!s.skip(1))
            return ReadOutcome::EndOfText;
    }
    if (!s.read(6, chunk))
        return ReadOutcome::EndOfText;
    if (chunk != "k id: ")
        return ReadOutcome::Dropped;
    if (!s.read(6, chunk))
        return ReadOutcome::EndOfText;
    if (chunk.endsWith("Msg") || chunk.endsWith("[Up")) {
        r.mBlk = text(chunk.left(1));
        if (!s.skip(1))
            return ReadOutcome::EndOfText;
    }
    if (!s.read(5, chunk))
        return ReadOutcome::EndOfText;

    QByteArray timeText;
    qsizetype contentTest = 0;
    QByteArray contentStart;
    bool withFlight = false;
    if (chunk.endsWith("Mess")) {
        contentTest = 13;
    } else if (chunk.contains(" no")) {
        QByteArray no, flight;
        if (!s.read(4, no) || !s.read(12, caption))
            return ReadOutcome::EndOfText;
        if (!caption.contains("Flight"))
            return ReadOutcome::Dropped;
        // The flight number runs to the end of its line; the line feed after
        // a carriage return goes too, so that the content test that follows
        // starts on the next line.
        QByteArray c;
        for (;;) {
            if (!s.read(1, c))
                return ReadOutcome::EndOfText;
            if (c == "\n" || c == "\r")
                break;
            flight += c;
        }
        if (c == "\r") {
            if (!s.read(1, c))
                return ReadOutcome::EndOfText;
            if (c != "\n")
                contentStart = c; // a lone carriage return: this starts the content test
        }
        r.mNo = text(no);
        r.mFlight = text(flight);
        withFlight = true;
        contentTest = 17;
    } else if (chunk.contains("ink")) {
        readUplinkRest(s, r, timeText);
    } else {
        return ReadOutcome::Dropped;
    }

    if (contentTest > 0) {
        QByteArray content, body;
        if (!s.read(contentTest - contentStart.size(), content))
            return ReadOutcome::EndOfText;
        content.prepend(contentStart);
        if (content == "age content:-" || content == "Message content:-") {
            if (!s.skip(2) || !s.readUntil(QByteArray(58, '-'), body))
                return ReadOutcome::EndOfText;
        } else if (!s.skip(20)) {
            return ReadOutcome::EndOfText;
        }
        if (!s.skip(1) || !s.read(16, timeText))
            return ReadOutcome::EndOfText;
        r.mText = text(body);
    }

    if (!MessageChecks::registration(r.mReg) || !MessageChecks::blockIdOrNone(r.mBlk))
        return ReadOutcome::Dropped;
    if (withFlight &&
        (!MessageChecks::flight(r.mFlight) || r.mFlight.size() < 3 || r.mFlight.contains(u' ')))
        return ReadOutcome::Dropped;
    // A downlink's time is tested while reading; an uplink's at hand-over.
    if (const auto time = minuteTime(timeText)) {
        r.mTime = *time;
        return ReadOutcome::Record;
    }
    return r.isUplink() ? ReadOutcome::Rejected : ReadOutcome::Dropped;
}

} // namespace corvane
