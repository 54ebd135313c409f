// A host API library (cqapi) that lacks api_kick_group, for the fatal path of the binding.
#if defined(_WIN32)
#define CQAPI_EXPORT __declspec(dllexport)
#else
#define CQAPI_EXPORT __attribute__((visibility("default")))
#endif

extern "C" CQAPI_EXPORT int api_send_group_message(const char*, const char*) { return 0; }
