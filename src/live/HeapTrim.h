#pragma once

namespace corvane
{

// Gives the heap's free pages back to the system. After a flood the
// allocator keeps what the queued datagrams took, spread over the arenas of
// the threads that received and stored them; a station that must run for
// months on a small machine asks for it back once the backlog is gone.
namespace HeapTrim
{

void giveBack();

} // namespace HeapTrim

} // namespace corvane
