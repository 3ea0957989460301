// Shell execution and processes, message boxes and the string table.
#include <map>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

class SimShell : public IShell, Facility {
 public:
  using Facility::Facility;

  int Execute(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& directory, int show) override {
    ShellExecuteRecord record{verb, file, parameters, directory, show};
    std::function<void(const ShellExecuteRecord&)> hook;
    int result = 0;
    {
      auto lock = impl_.Lock();
      if (auto code = impl_.Enter("ShellExecute", file + " " + parameters)) {
        SetLastError(*code);
        return static_cast<int>(*code);
      }
      impl_.shellExecutes.push_back(record);
      hook = impl_.shellHook;
      result = impl_.shellResult;
    }
    if (hook) hook(record);
    return result;
  }

  Outcome RunProcess(const std::string& exePath, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, uint32_t& exitCode) override {
    ProcessRecord record{exePath, arguments, timeoutMs};
    std::function<void(const ProcessRecord&)> hook;
    {
      auto lock = impl_.Lock();
      if (auto code = impl_.Enter("RunProcess", exePath)) return Fail(*code);
      impl_.processes.push_back(record);
      if (!impl_.processStarts) return Fail(impl_.processError);
      hook = impl_.processHook;
      exitCode = impl_.processExit;
    }
    if (hook) hook(record);
    return Outcome::Success();
  }

  void EndProcessNow(uint32_t exitCode) override {
    auto lock = impl_.Lock();
    (void)impl_.Enter("EndProcess", std::to_string(exitCode));
    impl_.endedWith = exitCode;
  }
};

class SimMessageBoxes : public IMessageBoxes, Facility {
 public:
  using Facility::Facility;

  int Show(BoxOwner owner, const std::string& text, const std::string& caption,
           uint32_t style) override {
    MessageBoxRecord record{owner, text, caption, style};
    std::function<int(const MessageBoxRecord&)> callback;
    int answer = win::kIdOk;
    {
      auto lock = impl_.Lock();
      if (auto code = impl_.Enter("MessageBox", text)) {
        SetLastError(*code);
        return 0;
      }
      impl_.boxes.push_back(record);
      callback = impl_.boxCallback;
      if (!callback && !impl_.answers.empty()) {
        answer = impl_.answers.front();
        impl_.answers.erase(impl_.answers.begin());
      }
    }
    return callback ? callback(record) : answer;
  }
};

class SimStrings : public IStringTable {
 public:
  SimStrings() {
#define PURVEX_STRING(id, text) {id, text},
    static const std::pair<uint32_t, const char*> kTable[] = {
#include "resources/string_table.h"
    };
#undef PURVEX_STRING
    for (const auto& [id, text] : kTable) table_[id] = text;
  }

  std::string Load(uint32_t id) override {
    auto it = table_.find(id);
    return it == table_.end() ? std::string() : it->second;
  }

 private:
  std::map<uint32_t, std::string> table_;
};

}  // namespace

std::unique_ptr<IShell> MakeShell(SimWindows::Impl& impl) {
  return std::make_unique<SimShell>(impl);
}

std::unique_ptr<IMessageBoxes> MakeMessageBoxes(SimWindows::Impl& impl) {
  return std::make_unique<SimMessageBoxes>(impl);
}

std::unique_ptr<IStringTable> MakeStrings() { return std::make_unique<SimStrings>(); }

}  // namespace detail

std::vector<ShellExecuteRecord> SimWindows::ShellExecutes() const {
  return impl_->Load(&Impl::shellExecutes);
}

void SimWindows::SetShellResult(int result) { impl_->Store(&Impl::shellResult, result); }

void SimWindows::SetShellHook(std::function<void(const ShellExecuteRecord&)> hook) {
  impl_->Store(&Impl::shellHook, std::move(hook));
}

std::vector<ProcessRecord> SimWindows::Processes() const { return impl_->Load(&Impl::processes); }

void SimWindows::SetProcessResult(bool started, uint32_t exitCode, uint32_t error) {
  auto lock = impl_->Lock();
  impl_->processStarts = started;
  impl_->processExit = exitCode;
  impl_->processError = error;
}

void SimWindows::SetProcessHook(std::function<void(const ProcessRecord&)> hook) {
  impl_->Store(&Impl::processHook, std::move(hook));
}

std::optional<uint32_t> SimWindows::ProcessEndedWith() const {
  return impl_->Load(&Impl::endedWith);
}

std::vector<MessageBoxRecord> SimWindows::MessageBoxes() const { return impl_->Load(&Impl::boxes); }

void SimWindows::QueueAnswer(int button) {
  auto lock = impl_->Lock();
  impl_->answers.push_back(button);
}

void SimWindows::SetMessageBoxCallback(std::function<int(const MessageBoxRecord&)> callback) {
  impl_->Store(&Impl::boxCallback, std::move(callback));
}

}  // namespace sim
