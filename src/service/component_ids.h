// Identifiers of the service's own component objects: the type library, the
// class of each creatable object and the interface each one offers. The
// class identifiers are registered with the IDE and must never change; the
// interface identifiers are what the IDE and its automation server know the
// objects' interfaces by.
#pragma once

#include "com/com_types.h"

namespace zelvan {

inline constexpr GUID LIBID_Zelvan = {
    0x6A3F2B10, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x50}};

inline constexpr CLSID CLSID_Connect = {
    0x6A3F2B11, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x51}};
inline constexpr CLSID CLSID_Command = {
    0x6A3F2B12, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x52}};
inline constexpr CLSID CLSID_Service = {
    0x6A3F2B13, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x53}};
inline constexpr CLSID CLSID_Version = {
    0x6A3F2B14, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x54}};
inline constexpr CLSID CLSID_Project = {
    0x6A3F2B15, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x55}};

inline constexpr IID IID_IConnect = {
    0x6A3F2B21, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x61}};
inline constexpr IID IID_ICommand = {
    0x6A3F2B22, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x62}};
inline constexpr IID IID_IService = {
    0x6A3F2B23, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x63}};
inline constexpr IID IID_IVersion = {
    0x6A3F2B24, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x64}};
inline constexpr IID IID_IProject = {
    0x6A3F2B25, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x65}};

// The name the service reports its errors under.
inline constexpr const char* kComponentModuleName = "Zelvan";

// The module file.
#ifdef _WIN32
inline constexpr const char* kComponentLibraryName = "ZELVAN.DLL";
#else
inline constexpr const char* kComponentLibraryName = "libzelvan_component.so";
#endif

// The registration of one creatable class.
struct ComponentClass {
  const char* object;  // Connect, Command, Service, Version, Project
  const CLSID& clsid;
  const char* prog_id;              // versioned
  const char* independent_prog_id;  // version-independent
  const char* description;
};

inline constexpr ComponentClass kComponentClasses[] = {
    {"Connect", CLSID_Connect, "Zelvan.Connect.1", "Zelvan.Connect", "Zelvan Connect"},
    {"Command", CLSID_Command, "Zelvan.Command.1", "Zelvan.Command", "Zelvan Command"},
    {"Service", CLSID_Service, "Zelvan.Service.1", "Zelvan.Service", "Zelvan Service"},
    {"Version", CLSID_Version, "Zelvan.Version.1", "Zelvan.Version", "Zelvan Version"},
    {"Project", CLSID_Project, "Zelvan.Project.1", "Zelvan.Project", "Zelvan Project"},
};

// Registered with every class.
inline constexpr const char* kComponentThreadingModel = "Apartment";

}  // namespace zelvan
