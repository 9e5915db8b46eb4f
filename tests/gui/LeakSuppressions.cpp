// Qt Multimedia keeps the sound server's connection for the life of the process; PulseAudio's
// allocations for it are still there at exit. They are the library's, not ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libpulse.so\n";
}
