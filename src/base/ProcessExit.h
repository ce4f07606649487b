#pragma once

// Ends the process once main's own objects are gone, without the destructors of the libraries'
// static objects. Qt 6.4's PulseAudio engine is one of them: it disconnects from the sound server
// without holding its loop's lock while that loop's thread runs, and about one exit in seventy
// of a process that had used sound aborted inside libpulse.
namespace ProcessExit {

[[noreturn]] void skippingStaticTeardown(int exitCode);

}  // namespace ProcessExit
