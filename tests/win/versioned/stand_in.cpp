// A stand-in for game.dll or war3.exe: a small program file whose only point is the
// version resource beside it (or none).
extern "C" __declspec(dllexport) int TorvaneStandIn() { return 0; }
