// Takes back the macros of the Windows headers that collide with names of
// the system's own classes and functions (see windows_com.h). May be
// included again after a later Windows header brought them back.
#ifdef _WIN32
#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetMessage
#undef GetObject
#undef GetUserName
#undef GetComputerName
#undef LoadLibrary
#undef LoadString
#undef MessageBox
#undef MoveFile
#undef RemoveDirectory
#undef SetCurrentDirectory
#endif
