#include "AircraftDetailDialog.h"

#include "app/Dialogs.h"
#include "store/StoreError.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane
{

AircraftDetailDialog::AircraftDetailDialog(Source source, const AircraftRecord &aircraft,
                                           const std::optional<CarrierRecord> &carrier,
                                           const RowFields &row, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(objectNameFor(source));
    setWindowTitle(QStringLiteral("ACARS Corvane Aircraft Detail"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);

    addField("txtRegistration", QStringLiteral("Registration"), aircraft.registration);
    const QString icao = carrier ? carrier->icao : QString();
    addField("txtIATA", QStringLiteral("IATA"), carrier ? carrier->iata : QString());
    addField("txtICAO", QStringLiteral("ICAO"), icao);
    const bool biz = icao == QLatin1String(AircraftLookup::kBizCode);
    addField("txtCarrier", QStringLiteral("Carrier"), carrier && !biz ? carrier->name : QString());
    addField("txtType", QStringLiteral("Type"), aircraft.type);
    addField("txtSerial", QStringLiteral("Serial"), aircraft.serial);
    addMessageFields(source, row);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

QString AircraftDetailDialog::objectNameFor(Source source)
{
    switch (source) {
    case Source::Pair:
        return QStringLiteral("frmAircraftDetailFromUnique");
    case Source::Aircraft:
        return QStringLiteral("frmAircraftDetailFromUniqueAicraft");
    case Source::Message:
        break;
    }
    return QStringLiteral("frmAircraftDetail");
}

void AircraftDetailDialog::addField(const char *name, const QString &caption, const QString &value)
{
    auto *edit = new QLineEdit(value, this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    // Shown as text to read and copy, not as a box to type in.
    edit->setFrame(false);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    m_form->addRow(caption, edit);
}

void AircraftDetailDialog::addMessageFields(Source source, const RowFields &row)
{
    if (source == Source::Aircraft)
        return;
    if (source == Source::Message) {
        addField("txtDateTime", QStringLiteral("Date/Time"), row.dateTime);
        addField("txtMode", QStringLiteral("Mode"), row.mode);
        addField("txtBlockID", QStringLiteral("Block ID"), row.blockId);
        addField("txtMessageNo", QStringLiteral("Message No"), row.messageNo);
    }
    addField("txtFlightNo", QStringLiteral("Flight No"), row.flightNo);
    if (source != Source::Message)
        return;
    auto *text = new QPlainTextEdit(row.message, this);
    text->setObjectName(QStringLiteral("txtMessage"));
    text->setReadOnly(true);
    m_form->addRow(QStringLiteral("Message"), text);
}

void AircraftDetailDialog::open(QWidget *parent, Store &store, Source source,
                                const QString &registration, const RowFields &row,
                                const std::function<void(QDialog &)> &beforeShow)
{
    std::optional<AircraftRecord> aircraft;
    std::optional<CarrierRecord> carrier;
    try {
        AircraftLookup lookup(store);
        aircraft = lookup.aircraft(registration);
        if (aircraft)
            carrier = lookup.carrier(aircraft->carrierCode);
    } catch (const StoreError &e) {
        Dialogs::critical(parent, e.message());
        return;
    }
    if (!aircraft) {
        Dialogs::information(parent, QStringLiteral("No aircraft data found"));
        return;
    }
    AircraftDetailDialog dialog(source, *aircraft, carrier, row, parent);
    if (beforeShow)
        beforeShow(dialog);
    Dialogs::exec(dialog);
}

} // namespace corvane
