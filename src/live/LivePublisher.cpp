#include "LivePublisher.h"

#include "LiveTextBlock.h"
#include "store/MessageRecord.h"

namespace corvane
{

LivePublisher::LivePublisher(QObject *parent) : QObject(parent)
{
    m_server.setValue(initialValue());
}

bool LivePublisher::start(QString *error)
{
    if (m_server.isListening())
        return true;
    return m_server.listen(application(), topic(), item(), error);
}

void LivePublisher::stop()
{
    m_server.close();
}

bool LivePublisher::publish(const MessageRecord &message)
{
    if (!LiveTextBlock::isPassedOn(message.isUplink(), m_passUplinks ? 1 : 0))
        return false;
    m_server.setValue(LiveTextBlock::build(message));
    return true;
}

} // namespace corvane
