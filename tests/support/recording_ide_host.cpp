#include "tests/support/recording_ide_host.h"

#include <utility>

#include "com/bstr.h"
#include "com/dispatch_object.h"
#include "com/variant.h"
#include "platform/ansi_text.h"

namespace zelvan::testing {

namespace {

using State = std::shared_ptr<RecordingIdeState>;

std::string Text(BSTR text) {
  return text == nullptr ? "<null>" : TextFromBstr(text);
}
std::string Number(LONG value) {
  return std::to_string(value);
}
std::string Code(LONG value) {
  return StringPrintf("0x%08X", static_cast<unsigned>(value));
}

void Record(RecordingIdeState& state, const char* object, int slot, std::vector<std::string> args) {
  state.calls.push_back(RecordedCall{object, slot, std::move(args)});
}

HRESULT StoreBstr(std::string_view text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = BstrFromText(text);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT StoreLong(LONG value, LONG* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

// An object of the IDE that records each call with its ProgID; Note
// records and answers S_OK.
template <class Interface>
class RecordingObject : public DispatchObject<Interface> {
 protected:
  RecordingObject(const char* prog_id, State state)
      : DispatchObject<Interface>(InterfaceTraits<Interface>::Iid()),
        prog_id_(prog_id),
        state_(std::move(state)) {}
  HRESULT Note(int slot, std::vector<std::string> args) {
    Record(*state_, prog_id_, slot, std::move(args));
    return S_OK;
  }

  const char* prog_id_;
  State state_;
};

// The workspace setting "section|key", found without regard to case.
std::pair<std::string, std::string>* FindSetting(RecordingIdeState& state, BSTR section, BSTR key) {
  const std::string name = TextFromBstr(section) + "|" + TextFromBstr(key);
  for (auto& setting : state.settings) {
    if (EqualsNoCase(setting.first, name)) return &setting;
  }
  return nullptr;
}

class RecordingWorkspace : public RecordingObject<IKovaWorkspace> {
 public:
  explicit RecordingWorkspace(State state) : RecordingObject(kWorkspaceProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE GetActiveProject(BSTR* project_file) override {
    Note(7, {});
    return StoreBstr(state_->active_project, project_file);
  }
  HRESULT STDMETHODCALLTYPE GetSetting(BSTR section, BSTR key, LONG buffer_size,
                                       BSTR* value) override {
    Note(8, {Text(section), Text(key), Number(buffer_size)});
    const auto* setting = FindSetting(*state_, section, key);
    std::string found = setting ? setting->second : "";
    if (buffer_size > 0 && found.size() >= static_cast<size_t>(buffer_size)) {
      found.resize(static_cast<size_t>(buffer_size) - 1);
    }
    return StoreBstr(found, value);
  }
  HRESULT STDMETHODCALLTYPE WriteSetting(BSTR section, BSTR key, BSTR value) override {
    auto* setting = FindSetting(*state_, section, key);
    if (setting) {
      setting->second = TextFromBstr(value);
    } else {
      state_->settings.emplace_back(TextFromBstr(section) + "|" + TextFromBstr(key),
                                    TextFromBstr(value));
    }
    return Note(9, {Text(section), Text(key), Text(value)});
  }
  HRESULT STDMETHODCALLTYPE AddProject(BSTR ide_project_file, BSTR workspace) override {
    return Note(10, {Text(ide_project_file), Text(workspace)});
  }
  HRESULT STDMETHODCALLTYPE ProjectAdded(BSTR project_file) override {
    return Note(11, {Text(project_file)});
  }
  HRESULT STDMETHODCALLTYPE SetCurrentTarget(BSTR target) override {
    return Note(12, {Text(target)});
  }
  HRESULT STDMETHODCALLTYPE RefreshProject(BSTR project_file) override {
    return Note(13, {Text(project_file)});
  }
  HRESULT STDMETHODCALLTYPE RefreshSourceControl() override { return Note(14, {}); }
  HRESULT STDMETHODCALLTYPE ReplaceProject(BSTR old_file, BSTR new_file) override {
    for (std::string& file : state_->project_files) {
      if (file == TextFromBstr(old_file)) file = TextFromBstr(new_file);
    }
    if (state_->active_project == TextFromBstr(old_file)) {
      state_->active_project = TextFromBstr(new_file);
    }
    return Note(15, {Text(old_file), Text(new_file)});
  }
  HRESULT STDMETHODCALLTYPE RemoveProject(BSTR project_file) override {
    std::erase(state_->project_files, TextFromBstr(project_file));
    return Note(16, {Text(project_file)});
  }
  HRESULT STDMETHODCALLTYPE GetProjectFiles(BSTR workspace, VARIANT* files) override {
    Note(17, {Text(workspace)});
    return StoreStrings(files, state_->project_files) ? S_OK : E_INVALIDARG;
  }
  // The IDE keeps no record files of its own.
  HRESULT STDMETHODCALLTYPE GetRecordFiles(VARIANT* files) override {
    Note(18, {});
    return StoreStrings(files, {}) ? S_OK : E_INVALIDARG;
  }
};

class RecordingOutputWindow : public RecordingObject<IKovaOutputWindow> {
 public:
  explicit RecordingOutputWindow(State state)
      : RecordingObject(kOutputWindowProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE ClearPane(BSTR pane) override { return Note(16, {Text(pane)}); }
  HRESULT STDMETHODCALLTYPE WriteLine(BSTR pane, BSTR file, LONG line, LONG kind, BSTR text,
                                      LONG reserved) override {
    return Note(17,
                {Text(pane), Text(file), Number(line), Number(kind), Text(text), Number(reserved)});
  }
  HRESULT STDMETHODCALLTYPE ActivatePane(BSTR pane, LONG reserved1, LONG reserved2) override {
    return Note(18, {Text(pane), Number(reserved1), Number(reserved2)});
  }
  HRESULT STDMETHODCALLTYPE ReportError(BSTR title, LONG reserved, LONG code, BSTR message,
                                        BSTR module) override {
    return Note(22, {Text(title), Number(reserved), Code(code), Text(message), Text(module)});
  }
};

class RecordingErrorMessages : public RecordingObject<IKovaErrorMessages> {
 public:
  explicit RecordingErrorMessages(State state)
      : RecordingObject(kErrorMessagesProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE ShowMessage(BSTR caption, BSTR text, LONG reserved, LONG style,
                                        LONG message_id, LONG* result) override {
    Note(7, {Text(caption), Text(text), Number(reserved), Number(style), Number(message_id)});
    return StoreLong(state_->message_answer, result);
  }
};

class RecordingFileView : public RecordingObject<IKovaFileView> {
 public:
  explicit RecordingFileView(State state) : RecordingObject(kFileViewProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE RefreshItemImages(BSTR project, LONG* result) override {
    Note(16, {Text(project)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE GetItemCount(BSTR project, BSTR folder, LONG* count) override {
    Note(17, {Text(project), Text(folder)});
    return StoreLong(0, count);
  }
  HRESULT STDMETHODCALLTYPE GetItemName(BSTR project, BSTR folder, LONG index,
                                        BSTR* name) override {
    Note(18, {Text(project), Text(folder), Number(index)});
    return StoreBstr("", name);
  }
  HRESULT STDMETHODCALLTYPE AddItem(BSTR project, BSTR folder, BSTR name, LONG* result) override {
    Note(22, {Text(project), Text(folder), Text(name)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE RemoveItem(BSTR project, BSTR name, LONG* result) override {
    Note(23, {Text(project), Text(name)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE RenameItem(BSTR project, BSTR old_name, BSTR new_name,
                                       LONG* result) override {
    Note(36, {Text(project), Text(old_name), Text(new_name)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE GetLastError(LONG* code, BSTR* text) override {
    Note(37, {});
    StoreLong(0, code);
    return StoreBstr("", text);
  }
};

class RecordingBuildRunner : public RecordingObject<IKovaBuildRunner> {
 public:
  explicit RecordingBuildRunner(State state)
      : RecordingObject(kBuildRunnerProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE Request(VARIANT* request) override {
    return Note(34, {Number(request == nullptr ? -1 : static_cast<LONG>(request->vt))});
  }
};

class RecordingAutomationServer : public RecordingObject<IAutomationServer> {
 public:
  explicit RecordingAutomationServer(State state)
      : RecordingObject(kAutomationServerProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE ReportError(REFIID source, BSTR module, BSTR message, LONG reserved1,
                                        LONG reserved2, LONG code, LONG reserved3) override {
    return Note(16, {FormatGuid(source), Text(module), Text(message), Number(reserved1),
                     Number(reserved2), Code(code), Number(reserved3)});
  }
};

class RecordingArchiveProvider : public RecordingObject<IKovaArchiveProvider> {
 public:
  explicit RecordingArchiveProvider(State state)
      : RecordingObject(kArchiveProviderProgId, std::move(state)) {}

  HRESULT STDMETHODCALLTYPE GetState(BSTR path, LONG flags, LONG* state) override {
    return Action(10, path, flags, state, kArchiveStateUnknown);
  }
  HRESULT STDMETHODCALLTYPE GetLatest(BSTR path, LONG flags, LONG* result) override {
    return Action(11, path, flags, result, 1);
  }
  HRESULT STDMETHODCALLTYPE CheckOut(BSTR path, LONG flags, LONG* result) override {
    return Action(12, path, flags, result, 1);
  }
  HRESULT STDMETHODCALLTYPE CheckIn(BSTR path, LONG flags, LONG* result) override {
    return Action(13, path, flags, result, 1);
  }
  HRESULT STDMETHODCALLTYPE UndoCheckOut(BSTR path, LONG flags, LONG* result) override {
    return Action(14, path, flags, result, 1);
  }
  HRESULT STDMETHODCALLTYPE AddToArchive(BSTR path, LONG flags, LONG* result) override {
    return Action(15, path, flags, result, 1);
  }
  HRESULT STDMETHODCALLTYPE RemoveFromArchive(BSTR path, LONG flags, LONG* result) override {
    return Action(16, path, flags, result, 1);
  }
  HRESULT STDMETHODCALLTYPE ShowHistory(BSTR path, LONG flags, LONG* result) override {
    return Action(17, path, flags, result, 1);
  }

 private:
  HRESULT Action(int slot, BSTR path, LONG flags, LONG* result, LONG answer) {
    Note(slot, {Text(path), Number(flags)});
    return StoreLong(answer, result);
  }
};

// Hands out the services by ProgID (member 39) and takes commands (member 10).
class RecordingApplication : public DispatchObject<IKovaApplication> {
 public:
  explicit RecordingApplication(State state)
      : DispatchObject(IID_IKovaApplication), state_(std::move(state)) {
    Add(kWorkspaceProgId, MakeComObject<RecordingWorkspace>(state_));
    Add(kOutputWindowProgId, MakeComObject<RecordingOutputWindow>(state_));
    Add(kErrorMessagesProgId, MakeComObject<RecordingErrorMessages>(state_));
    Add(kFileViewProgId, MakeComObject<RecordingFileView>(state_));
    Add(kBuildRunnerProgId, MakeComObject<RecordingBuildRunner>(state_));
    Add(kAutomationServerProgId, MakeComObject<RecordingAutomationServer>(state_));
    Add(kArchiveProviderProgId, MakeComObject<RecordingArchiveProvider>(state_));

    AddMethod(kDispIdApplicationCommand, "Command", 2, 2,
              [this](DispatchArgs& args, VARIANT*) -> HRESULT {
                LONG command = 0;
                if (!args.Long(0, &command)) return DISP_E_TYPEMISMATCH;
                Record(*state_, kRecordedApplication, kDispIdApplicationCommand,
                       {Number(command), Number(args.Get(1)->vt)});
                return S_OK;
              });
    AddMember(kDispIdApplicationService, "Service", DISPATCH_PROPERTYGET, 1, 1,
              [this](DispatchArgs& args, VARIANT* result) -> HRESULT {
                std::string prog_id;
                if (!args.Text(0, &prog_id)) return DISP_E_TYPEMISMATCH;
                Record(*state_, kRecordedApplication, kDispIdApplicationService, {prog_id});
                if (state_->refused_services.count(prog_id) != 0) return E_NOINTERFACE;
                IDispatch* found = Find(prog_id);
                if (found == nullptr) return E_NOINTERFACE;
                found->AddRef();
                result->vt = VT_DISPATCH;
                result->pdispVal = found;
                return S_OK;
              });
  }

  IDispatch* Find(std::string_view prog_id) const {
    for (const auto& [name, service] : services_) {
      if (EqualsNoCase(name, prog_id)) return service.Get();
    }
    return nullptr;
  }

 private:
  template <class T>
  void Add(const char* prog_id, ComPtr<T> object) {
    services_.emplace_back(prog_id, ComPtr<IDispatch>(object.Get()));
  }

  State state_;
  std::vector<std::pair<std::string, ComPtr<IDispatch>>> services_;
};

}  // namespace

std::string RecordedCall::Args() const {
  std::string out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) out += '|';
    out += args[i];
  }
  return out;
}

std::string RecordedCall::Text() const {
  return object + " " + std::to_string(slot) + ": " + Args();
}

RecordingIdeHost::RecordingIdeHost() : state_(std::make_shared<RecordingIdeState>()) {
  ComPtr<RecordingApplication> application = MakeComObject<RecordingApplication>(state_);
  application_ = ComPtr<IKovaApplication>(application.Get());
}

RecordingIdeHost::~RecordingIdeHost() = default;

IDispatch* RecordingIdeHost::service(std::string_view prog_id) const {
  return static_cast<RecordingApplication*>(application_.Get())->Find(prog_id);
}

std::vector<std::string> RecordingIdeHost::Calls(std::string_view object, int slot) const {
  std::vector<std::string> out;
  for (const RecordedCall& call : state_->calls) {
    if (call.object == object && call.slot == slot) out.push_back(call.Args());
  }
  return out;
}

std::vector<std::string> RecordingIdeHost::Log() const {
  std::vector<std::string> out;
  for (const RecordedCall& call : state_->calls)
    out.push_back(call.Text());
  return out;
}

ULONG ReferenceCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace zelvan::testing
