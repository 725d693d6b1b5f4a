/* What Microsoft's C runtime gives a DLL built with /GS, thread-local
 * variables, /SAFESEH and delay-loaded imports, written small, for a plugin
 * built by clang in the MSVC ABI without that runtime (nor Windows' headers):
 * the security cookie and its check, the TLS directory, the load
 * configuration (which names the cookie and the safe exception handlers)
 * and the delay-load helper. */
typedef unsigned long DWORD;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef void* HMODULE;
typedef int(__stdcall* FARPROC)(void);

__declspec(dllimport) HMODULE __stdcall LoadLibraryA(const char* name);
__declspec(dllimport) FARPROC __stdcall GetProcAddress(HMODULE module, const char* name);
__declspec(dllimport) int __stdcall QueryPerformanceCounter(long long* count);
__declspec(dllimport) DWORD __stdcall GetCurrentThreadId(void);

/* ---- /GS: a cookie set at start-up, checked before a frame returns. ---- */
DWORD __security_cookie = 0xBB40E64E;

void __fastcall __security_check_cookie(DWORD cookie) {
  if (cookie != __security_cookie) __builtin_trap(); /* a smashed stack: end here */
}

static void InitCookie(void) {
  long long now = 0;
  QueryPerformanceCounter(&now);
  const DWORD cookie = (DWORD)now ^ GetCurrentThreadId() ^ (DWORD)&now;
  __security_cookie = cookie == 0xBB40E64E || cookie == 0 ? 0xBB40E64F : cookie;
}

/* ---- Thread-local variables: the directory the loader reads. ---- */
DWORD _tls_index = 0;
/* The fs:[0x2C] offset of a thread's TLS array, which the compiler's code
 * takes as an absolute symbol. */
__asm__(".globl __tls_array\n.set __tls_array, 44");

#pragma section(".tls", long, read, write)
#pragma section(".tls$ZZZ", long, read, write)
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
typedef void(__stdcall* TlsCallback)(void*, DWORD, void*);
__declspec(allocate(".CRT$XLA")) TlsCallback __xl_a = 0;
__declspec(allocate(".CRT$XLZ")) TlsCallback __xl_z = 0;

struct TlsDirectory {
  DWORD start, end, index, callbacks, zero_fill, characteristics;
};
const struct TlsDirectory _tls_used = {
    (DWORD)&_tls_start, (DWORD)&_tls_end, (DWORD)&_tls_index, (DWORD)(&__xl_a + 1), 0, 0};

/* ---- The load configuration: the cookie, and /SAFESEH's table. ---- */
extern void* __safe_se_handler_table[];
extern BYTE __safe_se_handler_count;

struct LoadConfig {
  DWORD size, time_stamp;
  WORD major, minor;
  DWORD flags_clear, flags_set, lock_timeout, decommit_block, decommit_total, lock_prefixes, most_allocated,
      memory_threshold, heap_flags, affinity;
  WORD service_pack, load_flags;
  DWORD edit_list, security_cookie, se_handler_table, se_handler_count;
};
const struct LoadConfig _load_config_used = {
    .size = sizeof(struct LoadConfig),
    .security_cookie = (DWORD)&__security_cookie,
    .se_handler_table = (DWORD)__safe_se_handler_table,
    .se_handler_count = (DWORD)&__safe_se_handler_count,
};

/* ---- Delay-loaded imports: each resolved at its first call. ---- */
struct DelayDescriptor {
  DWORD attributes, dll_name, module, iat, names, bound_iat, unload_iat, time_stamp; /* RVAs */
};
extern BYTE __ImageBase;
#define AT(rva) (&__ImageBase + (rva))

FARPROC __stdcall __delayLoadHelper2(const struct DelayDescriptor* descriptor, FARPROC* entry) {
  HMODULE* module = (HMODULE*)AT(descriptor->module);
  if (*module == 0) *module = LoadLibraryA((const char*)AT(descriptor->dll_name));
  if (*module == 0) __builtin_trap(); /* no such module: nothing to call */
  const DWORD index = (DWORD)(entry - (FARPROC*)AT(descriptor->iat));
  const DWORD name = ((const DWORD*)AT(descriptor->names))[index];
  const FARPROC found = (name & 0x80000000u) ? GetProcAddress(*module, (const char*)(name & 0xFFFFu))
                                             : GetProcAddress(*module, (const char*)AT(name) + 2); /* past its hint */
  if (found == 0) __builtin_trap();
  *entry = found;
  return found;
}

/* ---- The entry point: the cookie, before any frame that checks it. ---- */
int __stdcall _DllMainCRTStartup(void* instance, DWORD reason, void* reserved) {
  (void)instance, (void)reserved;
  if (reason == 1) InitCookie(); /* DLL_PROCESS_ATTACH */
  return 1;
}
