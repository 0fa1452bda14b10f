#include "tests/support/recording_ide_host.h"

#include <utility>

#include "platform/ansi_text.h"
#include "platform/bstr.h"
#include "platform/dispatch_object.h"
#include "platform/variant.h"

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

class RecordingWorkspace : public DispatchObject<IKovaWorkspace> {
 public:
  explicit RecordingWorkspace(State state)
      : DispatchObject(IID_IKovaWorkspace), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE GetActiveProject(BSTR* project_file) override {
    Record(*state_, kWorkspaceProgId, 7, {});
    return StoreBstr(state_->active_project, project_file);
  }
  HRESULT STDMETHODCALLTYPE GetSetting(BSTR section, BSTR key, LONG buffer_size,
                                       BSTR* value) override {
    Record(*state_, kWorkspaceProgId, 8, {Text(section), Text(key), Number(buffer_size)});
    std::string found;
    const std::string name = TextFromBstr(section) + "|" + TextFromBstr(key);
    for (const auto& [setting, setting_value] : state_->settings) {
      if (EqualsNoCase(setting, name)) {
        found = setting_value;
        break;
      }
    }
    if (buffer_size > 0 && found.size() >= static_cast<size_t>(buffer_size)) {
      found.resize(static_cast<size_t>(buffer_size) - 1);
    }
    return StoreBstr(found, value);
  }
  HRESULT STDMETHODCALLTYPE WriteSetting(BSTR section, BSTR key, BSTR value) override {
    Record(*state_, kWorkspaceProgId, 9, {Text(section), Text(key), Text(value)});
    const std::string name = TextFromBstr(section) + "|" + TextFromBstr(key);
    for (auto& [setting, setting_value] : state_->settings) {
      if (EqualsNoCase(setting, name)) {
        setting_value = TextFromBstr(value);
        return S_OK;
      }
    }
    state_->settings.emplace_back(name, TextFromBstr(value));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE AddProject(BSTR ide_project_file, BSTR workspace) override {
    Record(*state_, kWorkspaceProgId, 10, {Text(ide_project_file), Text(workspace)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ProjectAdded(BSTR project_file) override {
    Record(*state_, kWorkspaceProgId, 11, {Text(project_file)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetCurrentTarget(BSTR target) override {
    Record(*state_, kWorkspaceProgId, 12, {Text(target)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RefreshProject(BSTR project_file) override {
    Record(*state_, kWorkspaceProgId, 13, {Text(project_file)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RefreshSourceControl() override {
    Record(*state_, kWorkspaceProgId, 14, {});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReplaceProject(BSTR old_file, BSTR new_file) override {
    Record(*state_, kWorkspaceProgId, 15, {Text(old_file), Text(new_file)});
    for (std::string& file : state_->project_files) {
      if (file == TextFromBstr(old_file)) file = TextFromBstr(new_file);
    }
    if (state_->active_project == TextFromBstr(old_file)) {
      state_->active_project = TextFromBstr(new_file);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveProject(BSTR project_file) override {
    Record(*state_, kWorkspaceProgId, 16, {Text(project_file)});
    std::erase(state_->project_files, TextFromBstr(project_file));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetProjectFiles(BSTR workspace, VARIANT* files) override {
    Record(*state_, kWorkspaceProgId, 17, {Text(workspace)});
    return StoreStrings(files, state_->project_files) ? S_OK : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE GetRecordFiles(VARIANT* files) override {
    Record(*state_, kWorkspaceProgId, 18, {});
    return StoreStrings(files, state_->record_files) ? S_OK : E_INVALIDARG;
  }

 private:
  State state_;
};

class RecordingOutputWindow : public DispatchObject<IKovaOutputWindow> {
 public:
  explicit RecordingOutputWindow(State state)
      : DispatchObject(IID_IKovaOutputWindow), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE ClearPane(BSTR pane) override {
    Record(*state_, kOutputWindowProgId, 16, {Text(pane)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE WriteLine(BSTR pane, BSTR file, LONG line, LONG kind, BSTR text,
                                      LONG reserved) override {
    Record(*state_, kOutputWindowProgId, 17,
           {Text(pane), Text(file), Number(line), Number(kind), Text(text), Number(reserved)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ActivatePane(BSTR pane, LONG reserved1, LONG reserved2) override {
    Record(*state_, kOutputWindowProgId, 18, {Text(pane), Number(reserved1), Number(reserved2)});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReportError(BSTR title, LONG reserved, LONG code, BSTR message,
                                        BSTR module) override {
    Record(*state_, kOutputWindowProgId, 22,
           {Text(title), Number(reserved), Code(code), Text(message), Text(module)});
    return S_OK;
  }

 private:
  State state_;
};

class RecordingErrorMessages : public DispatchObject<IKovaErrorMessages> {
 public:
  explicit RecordingErrorMessages(State state)
      : DispatchObject(IID_IKovaErrorMessages), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE ShowMessage(BSTR caption, BSTR text, LONG reserved, LONG style,
                                        LONG message_id, LONG* result) override {
    Record(*state_, kErrorMessagesProgId, 7,
           {Text(caption), Text(text), Number(reserved), Number(style), Number(message_id)});
    return StoreLong(state_->message_answer, result);
  }

 private:
  State state_;
};

class RecordingFileView : public DispatchObject<IKovaFileView> {
 public:
  explicit RecordingFileView(State state)
      : DispatchObject(IID_IKovaFileView), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE RefreshItemImages(BSTR project, LONG* result) override {
    Record(*state_, kFileViewProgId, 16, {Text(project)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE GetItemCount(BSTR project, BSTR folder, LONG* count) override {
    Record(*state_, kFileViewProgId, 17, {Text(project), Text(folder)});
    return StoreLong(0, count);
  }
  HRESULT STDMETHODCALLTYPE GetItemName(BSTR project, BSTR folder, LONG index,
                                        BSTR* name) override {
    Record(*state_, kFileViewProgId, 18, {Text(project), Text(folder), Number(index)});
    return StoreBstr("", name);
  }
  HRESULT STDMETHODCALLTYPE AddItem(BSTR project, BSTR folder, BSTR name, LONG* result) override {
    Record(*state_, kFileViewProgId, 22, {Text(project), Text(folder), Text(name)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE RemoveItem(BSTR project, BSTR name, LONG* result) override {
    Record(*state_, kFileViewProgId, 23, {Text(project), Text(name)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE RenameItem(BSTR project, BSTR old_name, BSTR new_name,
                                       LONG* result) override {
    Record(*state_, kFileViewProgId, 36, {Text(project), Text(old_name), Text(new_name)});
    return StoreLong(1, result);
  }
  HRESULT STDMETHODCALLTYPE GetLastError(LONG* code, BSTR* text) override {
    Record(*state_, kFileViewProgId, 37, {});
    StoreLong(0, code);
    return StoreBstr("", text);
  }

 private:
  State state_;
};

class RecordingBuildRunner : public DispatchObject<IKovaBuildRunner> {
 public:
  explicit RecordingBuildRunner(State state)
      : DispatchObject(IID_IKovaBuildRunner), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE Request(VARIANT* request) override {
    Record(*state_, kBuildRunnerProgId, 34,
           {Number(request == nullptr ? -1 : static_cast<LONG>(request->vt))});
    return S_OK;
  }

 private:
  State state_;
};

class RecordingAutomationServer : public DispatchObject<IAutomationServer> {
 public:
  explicit RecordingAutomationServer(State state)
      : DispatchObject(IID_IAutomationServer), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE ReportError(REFIID source, BSTR module, BSTR message, LONG reserved1,
                                        LONG reserved2, LONG code, LONG reserved3) override {
    Record(*state_, kAutomationServerProgId, 16,
           {FormatGuid(source), Text(module), Text(message), Number(reserved1), Number(reserved2),
            Code(code), Number(reserved3)});
    return S_OK;
  }

 private:
  State state_;
};

class RecordingArchiveProvider : public DispatchObject<IKovaArchiveProvider> {
 public:
  explicit RecordingArchiveProvider(State state)
      : DispatchObject(IID_IKovaArchiveProvider), state_(std::move(state)) {}

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
    Record(*state_, kArchiveProviderProgId, slot, {Text(path), Number(flags)});
    return StoreLong(answer, result);
  }

  State state_;
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
