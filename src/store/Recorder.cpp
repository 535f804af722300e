#include "Recorder.h"

#include "MessageRecorder.h"
#include "ServerRecorder.h"
#include "Store.h"

namespace corvane
{

std::unique_ptr<Recorder> Recorder::of(Store &store)
{
    if (store.onServer())
        return std::make_unique<ServerRecorder>(store.server());
    return std::make_unique<MessageRecorder>(store);
}

} // namespace corvane
