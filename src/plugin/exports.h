// Declarations of the fourteen exports, with the host's calling convention and exported names.
#pragma once

#include "export_names.h"

// The robot host calls every export with the Windows standard calling convention; it only
// differs from the default on 32-bit x86.
#if defined(__i386__)
#define CQP_STDCALL __attribute__((stdcall))
#else
#define CQP_STDCALL
#endif

#define CQP_EXPORT extern "C" __attribute__((visibility("default")))

CQP_EXPORT const char* CQP_STDCALL CqpInfo() CQP_EXPORT_SYMBOL(CqpInfo);
CQP_EXPORT const char* CQP_STDCALL CqpDayStamp() CQP_EXPORT_SYMBOL(CqpDayStamp);
CQP_EXPORT const char* CQP_STDCALL CqpTextBetween(const char* text, const char* start,
                                                  const char* end)
    CQP_EXPORT_SYMBOL(CqpTextBetween);
CQP_EXPORT const char* CQP_STDCALL CqpStripSpaces(const char* text)
    CQP_EXPORT_SYMBOL(CqpStripSpaces);
CQP_EXPORT const char* CQP_STDCALL CqpFetchNickname(const char* qq)
    CQP_EXPORT_SYMBOL(CqpFetchNickname);

#define CQP_DECLARE_COMMAND_EXPORT(symbol)                                                \
  CQP_EXPORT const char* CQP_STDCALL symbol(const char* a1, const char* a2, const char* a3, \
                                            const char* a4, const char* a5)               \
      CQP_EXPORT_SYMBOL(symbol)

CQP_DECLARE_COMMAND_EXPORT(CqpFeedPet);
CQP_DECLARE_COMMAND_EXPORT(CqpPetInfo);
CQP_DECLARE_COMMAND_EXPORT(CqpWork);
CQP_DECLARE_COMMAND_EXPORT(CqpGuessNumber);
CQP_DECLARE_COMMAND_EXPORT(CqpToTraditional);
CQP_DECLARE_COMMAND_EXPORT(CqpToSimplified);
CQP_DECLARE_COMMAND_EXPORT(CqpMenu);
CQP_DECLARE_COMMAND_EXPORT(CqpNicknameLookup);
CQP_DECLARE_COMMAND_EXPORT(CqpKickMember);
