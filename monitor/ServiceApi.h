#pragma once

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

// What the list query answers when the buffer is too small (STATUS_INFO_LENGTH_MISMATCH: <ntstatus.h> clashes with
// the status codes <windows.h> defines).
constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// The few Service Control Manager and process calls the monitor makes, as one replaceable table.
struct ServiceApi {
    SC_HANDLE(WINAPI *openSCManager)(LPCWSTR machineName, LPCWSTR databaseName, DWORD access);
    BOOL(WINAPI *enumServicesStatus)
    (SC_HANDLE manager, DWORD serviceType, DWORD serviceState, LPENUM_SERVICE_STATUSW services, DWORD bufferSize,
     LPDWORD bytesNeeded, LPDWORD servicesReturned, LPDWORD resumeHandle);
    BOOL(WINAPI *getServiceDisplayName)(SC_HANDLE manager, LPCWSTR serviceName, LPWSTR displayName, LPDWORD length);
    BOOL(WINAPI *getServiceKeyName)(SC_HANDLE manager, LPCWSTR displayName, LPWSTR serviceName, LPDWORD length);
    SC_HANDLE(WINAPI *openService)(SC_HANDLE manager, LPCWSTR serviceName, DWORD access);
    BOOL(WINAPI *queryServiceConfig)
    (SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD bufferSize, LPDWORD bytesNeeded);
    BOOL(WINAPI *queryServiceStatusEx)
    (SC_HANDLE service, SC_STATUS_TYPE infoLevel, LPBYTE buffer, DWORD bufferSize, LPDWORD bytesNeeded);
    BOOL(WINAPI *closeServiceHandle)(SC_HANDLE handle);
    HANDLE(WINAPI *openProcess)(DWORD access, BOOL inheritHandle, DWORD processId);
    BOOL(WINAPI *getProcessTimes)
    (HANDLE process, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime, LPFILETIME userTime);
    BOOL(WINAPI *getProcessMemoryInfo)(HANDLE process, PPROCESS_MEMORY_COUNTERS counters, DWORD size);
    BOOL(WINAPI *closeHandle)(HANDLE handle);
    // NtQuerySystemInformation for SystemProcessInformation: every process's figures, no process opened.
    NTSTATUS(WINAPI *queryProcessList)(PVOID buffer, ULONG size, PULONG returned);
    // A clock that only moves forward, in the 100-ns units of process times.
    ULONGLONG(WINAPI *monotonicTime)();
};

// The platform's own functions; the table starts as a copy of these.
const ServiceApi &RealServiceApi();

// The table every monitor class calls through; only tests ever change it.
ServiceApi &CurrentServiceApi();
