#pragma once

#include "store/AircraftLookup.h"

#include <QDialog>
#include <functional>
#include <optional>

class QFormLayout;

namespace corvane
{

class Store;

// The aircraft detail window, in its three forms: opened from the message
// grid (frmAircraftDetail, with the message's fields), from the heard-pair
// grid (frmAircraftDetailFromUnique, with the flight number) and from the
// heard-aircraft grid (frmAircraftDetailFromUniqueAicraft). All fields are
// read-only; OK closes it.
class AircraftDetailDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Source { Message, Pair, Aircraft };
    // The fields of the grid row that opened the window.
    struct RowFields {
        QString dateTime;
        QString mode;
        QString blockId;
        QString messageNo;
        QString flightNo;
        QString message;
    };

    AircraftDetailDialog(Source source, const AircraftRecord &aircraft,
                         const std::optional<CarrierRecord> &carrier, const RowFields &row,
                         QWidget *parent = nullptr);

    static QString objectNameFor(Source source);

    // Looks the registration up and shows the window modally, or says "No
    // aircraft data found" when there is no such aircraft. beforeShow runs on
    // the window just before it is shown.
    static void open(QWidget *parent, Store &store, Source source, const QString &registration,
                     const RowFields &row, const std::function<void(QDialog &)> &beforeShow = {});

private:
    void addField(const char *name, const QString &caption, const QString &value);
    void addMessageFields(Source source, const RowFields &row);

    QFormLayout *m_form = nullptr;
};

} // namespace corvane
