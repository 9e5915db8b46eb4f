// Qt Multimedia keeps the sound server's connection for the life of the process; PulseAudio's
// allocations for it are still there at exit. x265, the HEVC encoder the HEIF tests make their files
// with, keeps its own tables until exit too. They are the libraries', not ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libpulse.so\n"
           "leak:libx265.so\n";
}
