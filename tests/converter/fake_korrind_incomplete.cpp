// A library that lacks most of the SWF conversion exports.
extern "C" __attribute__((visibility("default"))) void SetSetBarMax(void*) {}
