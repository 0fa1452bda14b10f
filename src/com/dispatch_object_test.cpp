#include "com/dispatch_object.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/support/vtable_call.h"

namespace zelvan {

// A dual interface of the kind the system's objects implement: IDispatch,
// then methods of its own from slot 7.
inline constexpr IID IID_ITestCounter = {
    0x6A3F2B1F, 0x1C4D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x4A, 0x5F}};

class ITestCounter : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE Add(LONG amount, LONG* total) = 0;
  virtual LONG STDMETHODCALLTYPE Magic() = 0;

 protected:
  ~ITestCounter() = default;
};

template <>
struct InterfaceTraits<ITestCounter> {
  static constexpr const IID& Iid() { return IID_ITestCounter; }
};

namespace {

using testing::CallSlot;

constexpr DISPID kConcat = 1;
constexpr DISPID kTotal = 2;
constexpr DISPID kNeedsLong = 3;
constexpr DISPID kThrows = 4;

class Counter : public DispatchObject<ITestCounter> {
 public:
  explicit Counter(bool* alive) : DispatchObject(IID_ITestCounter), alive_(alive) {
    *alive_ = true;
    // Joins two or three string arguments with '|', in call order.
    AddMethod(kConcat, "Concat", 2, 3, [](DispatchArgs& args, VARIANT* result) {
      std::string joined;
      for (UINT i = 0; i < args.size(); ++i) {
        std::string part;
        if (!args.Text(i, &part)) return DISP_E_TYPEMISMATCH;
        joined += (i ? "|" : "") + part;
      }
      return StoreText(result, joined) ? S_OK : E_OUTOFMEMORY;
    });
    AddMember(kTotal, "Total", DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, 0, 1,
              [this](DispatchArgs& args, VARIANT* result) {
                if (args.size() == 0) {
                  *result = VariantFromLong(total_);
                  return S_OK;
                }
                return args.Long(0, &total_) ? S_OK : DISP_E_TYPEMISMATCH;
              });
    AddMethod(kNeedsLong, "NeedsLong", 2, 2, [](DispatchArgs& args, VARIANT*) {
      LONG value;
      return args.Long(1, &value) ? S_OK : DISP_E_TYPEMISMATCH;
    });
    AddMethod(kThrows, "", 0, 0, [](DispatchArgs&, VARIANT* result) -> HRESULT {
      *result = VariantFromText("half-made result");
      throw std::runtime_error("member failed");
    });
  }
  ~Counter() override { *alive_ = false; }

  HRESULT STDMETHODCALLTYPE Add(LONG amount, LONG* total) override {
    total_ += amount;
    *total = total_;
    return S_OK;
  }
  LONG STDMETHODCALLTYPE Magic() override { return 0x5EED; }

  bool Register(DISPID id, std::string_view name, WORD flags, UINT min_args, UINT max_args) {
    return AddMember(id, name, flags, min_args, max_args,
                     [](DispatchArgs&, VARIANT*) { return S_OK; });
  }

 private:
  bool* alive_;
  LONG total_ = 0;
};

// Builds DISPPARAMS the way a caller does: the arguments last first.
struct Call {
  std::vector<VARIANT> reversed;
  std::vector<DISPID> named;
  DISPPARAMS params{};

  Call(std::vector<VARIANT> in_call_order, std::vector<DISPID> named_ids = {})
      : reversed(in_call_order.rbegin(), in_call_order.rend()), named(std::move(named_ids)) {
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
    params.cNamedArgs = static_cast<UINT>(named.size());
  }
  ~Call() {
    for (VARIANT& v : reversed) {
      VariantClear(&v);
    }
  }
};

class DispatchObjectTest : public ::testing::Test {
 protected:
  bool alive_ = false;
  ComPtr<Counter> counter_ = MakeComObject<Counter>(&alive_);
};

TEST_F(DispatchObjectTest, MembersReadArgumentsInCallOrder) {
  Call call({VariantFromText("first"), VariantFromText("second"), VariantFromText("third")});
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(counter_->Invoke(kConcat, IID_NULL, 0, DISPATCH_METHOD, &call.params, &result, nullptr,
                             nullptr),
            S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(TextFromBstr(result.bstrVal), "first|second|third");

  // The caller's side reverses them itself.
  VARIANT args[] = {VariantFromText("a"), VariantFromText("b")};
  EXPECT_EQ(CallDispatch(counter_.Get(), kConcat, DISPATCH_METHOD, args, 2, &result), S_OK);
  EXPECT_EQ(TextFromBstr(result.bstrVal), "a|b");
  for (VARIANT& v : args) {
    VariantClear(&v);
  }

  // Property put and get; the put value travels as the named argument.
  VARIANT seven = VariantFromLong(7);
  EXPECT_EQ(CallDispatch(counter_.Get(), kTotal, DISPATCH_PROPERTYPUT, &seven, 1, nullptr), S_OK);
  EXPECT_EQ(CallDispatch(counter_.Get(), kTotal, DISPATCH_PROPERTYGET, nullptr, 0, &result), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 7);
  VariantClear(&result);
}

TEST_F(DispatchObjectTest, InvokeRefusesCallsItDoesNotKnow) {
  const size_t live = BstrLiveCount();
  // One named argument at most; null for none.
  static const DISPID kPutId = DISPID_PROPERTYPUT;
  static const DISPID kOtherId = 5;
  struct Case {
    const char* name;
    DISPID id;
    WORD flags;
    int args;
    const DISPID* named;
    const IID* riid;
    HRESULT expected;
  };
  const WORD kMethod = DISPATCH_METHOD;
  const HRESULT kNotFound = DISP_E_MEMBERNOTFOUND;
  const Case cases[] = {
      {"unknown member", 99, kMethod, 2, nullptr, &IID_NULL, kNotFound},
      {"method called as property", kConcat, DISPATCH_PROPERTYGET, 2, nullptr, &IID_NULL,
       kNotFound},
      {"too few arguments", kConcat, kMethod, 1, nullptr, &IID_NULL, DISP_E_BADPARAMCOUNT},
      {"too many arguments", kConcat, kMethod, 4, nullptr, &IID_NULL, DISP_E_BADPARAMCOUNT},
      {"named argument", kConcat, kMethod, 2, &kOtherId, &IID_NULL, DISP_E_NONAMEDARGS},
      {"put id on a method", kConcat, kMethod, 2, &kPutId, &IID_NULL, DISP_E_NONAMEDARGS},
      {"interface id given", kConcat, kMethod, 2, nullptr, &IID_IDispatch, DISP_E_UNKNOWNINTERFACE},
      {"method and get together", kConcat, kMethod | DISPATCH_PROPERTYGET, 2, nullptr, &IID_NULL,
       S_OK},
      // The named value passes the checks; the member itself refuses a text.
      {"put with its named value", kTotal, DISPATCH_PROPERTYPUT, 1, &kPutId, &IID_NULL,
       DISP_E_TYPEMISMATCH},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<VARIANT> args;
    for (int i = 0; i < c.args; ++i) {
      args.push_back(VariantFromText("1"));
    }
    Call call(args, c.named ? std::vector<DISPID>{*c.named} : std::vector<DISPID>{});
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(counter_->Invoke(c.id, *c.riid, 0, c.flags, &call.params, &result, nullptr, nullptr),
              c.expected);
    VariantClear(&result);
  }
  VARIANT result;
  EXPECT_EQ(
      counter_->Invoke(kConcat, IID_NULL, 0, DISPATCH_METHOD, nullptr, &result, nullptr, nullptr),
      E_INVALIDARG);
  DISPPARAMS missing{nullptr, nullptr, 2, 0};
  EXPECT_EQ(
      counter_->Invoke(kConcat, IID_NULL, 0, DISPATCH_METHOD, &missing, &result, nullptr, nullptr),
      E_INVALIDARG);
  EXPECT_EQ(BstrLiveCount(), live);
}

TEST_F(DispatchObjectTest, ReportsTheArgumentAtFaultAndContainsFailures) {
  const size_t live = BstrLiveCount();

  Call call({VariantFromLong(1), VariantFromText("not a number")});
  UINT arg_error = 77;
  VARIANT result;
  EXPECT_EQ(counter_->Invoke(kNeedsLong, IID_NULL, 0, DISPATCH_METHOD, &call.params, &result,
                             nullptr, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 0u);  // the second argument sits first in rgvarg

  // The caller's side reports the index in call order.
  VARIANT args[] = {VariantFromLong(1), VariantFromText("not a number")};
  UINT call_order_error = 77;
  EXPECT_EQ(CallDispatch(counter_.Get(), kNeedsLong, DISPATCH_METHOD, args, 2, nullptr,
                         &call_order_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(call_order_error, 1u);
  VariantClear(&args[1]);

  // A member that throws: the exception stays inside and its result is freed.
  Call none({});
  VariantInit(&result);
  EXPECT_EQ(counter_->Invoke(kThrows, IID_NULL, 0, DISPATCH_METHOD, &none.params, &result, nullptr,
                             nullptr),
            E_UNEXPECTED);
  EXPECT_EQ(result.vt, VT_EMPTY);
  EXPECT_EQ(BstrLiveCount(), live + 1);  // only `call`'s text
}

// Names are found without regard to case; registration refuses clashes and nonsense.
TEST_F(DispatchObjectTest, NamesAndRegistration) {
  OLECHAR concat[] = OLESTR("CONCAT");
  OLECHAR unknown[] = OLESTR("Nothing");
  OLECHAR arg_name[] = OLESTR("value");
  LPOLESTR names[] = {concat, arg_name};
  DISPID ids[2] = {0, 0};
  EXPECT_EQ(counter_->GetIDsOfNames(IID_NULL, names, 1, 0, ids), S_OK);
  EXPECT_EQ(ids[0], kConcat);
  EXPECT_EQ(counter_->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], kConcat);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  names[0] = unknown;
  EXPECT_EQ(counter_->GetIDsOfNames(IID_NULL, names, 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);

  EXPECT_TRUE(counter_->Register(10, "Fresh", DISPATCH_METHOD, 0, 1));
  EXPECT_FALSE(counter_->Register(kConcat, "Other", DISPATCH_METHOD, 0, 1));  // id taken
  EXPECT_FALSE(counter_->Register(11, "concat", DISPATCH_METHOD, 0, 1));      // name taken
  EXPECT_FALSE(counter_->Register(12, "", 0, 0, 1));                          // no kind
  EXPECT_FALSE(counter_->Register(13, "", 0x10 | DISPATCH_METHOD, 0, 1));     // unknown bit
  EXPECT_FALSE(counter_->Register(14, "", DISPATCH_METHOD, 2, 1));            // min > max
  EXPECT_TRUE(counter_->Register(15, "", DISPATCH_METHOD, 0, 0) &&            // unnamed, twice
              counter_->Register(16, "", DISPATCH_METHOD, 0, 0));
}

// Its own object, so that its end can be watched.
TEST_F(DispatchObjectTest, CountsReferencesAndAnswersItsInterfaces) {
  bool alive = false;
  {
    ComPtr<Counter> counter = MakeComObject<Counter>(&alive);
    ASSERT_TRUE(alive);
    ComPtr<ITestCounter> own;
    ASSERT_EQ(counter.As(&own), S_OK);
    EXPECT_EQ(static_cast<ITestCounter*>(counter.Get()), own.Get());
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(own.As(&dispatch), S_OK);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(dispatch.As(&unknown), S_OK);
    EXPECT_EQ(counter->AddRef(), 5u);
    EXPECT_EQ(counter->Release(), 4u);

    void* raw = &alive;
    const IID other = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(counter->QueryInterface(other, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(counter->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // Copies, moves, Attach and Detach of ComPtr keep the count right:
    // the object ends with the last of them.
    ComPtr<IDispatch> copy = dispatch;
    ComPtr<IDispatch> moved = std::move(copy);
    EXPECT_FALSE(copy);
    copy = moved;
    moved = nullptr;
    ComPtr<IUnknown> widened = copy;
    IDispatch* out = nullptr;
    ASSERT_EQ(copy.CopyTo(&out), S_OK);
    ComPtr<IDispatch> attached;
    attached.Attach(out);
    EXPECT_EQ(counter->AddRef(), 8u);  // counter, own, dispatch, unknown, copy, widened, out
    counter->Release();
    attached.Detach()->Release();
  }
  EXPECT_FALSE(alive);
}

TEST_F(DispatchObjectTest, VtableSlotsFollowTheStandardOrder) {
  void* object = static_cast<ITestCounter*>(counter_.Get());

  void* queried = nullptr;
  EXPECT_EQ(CallSlot<HRESULT>(object, 0, &IID_IDispatch, &queried), S_OK);
  EXPECT_EQ(queried, object);
  EXPECT_EQ(CallSlot<ULONG>(object, 1), 3u);  // AddRef
  EXPECT_EQ(CallSlot<ULONG>(object, 2), 2u);  // Release
  EXPECT_EQ(CallSlot<ULONG>(object, 2), 1u);
  UINT count = 9;
  EXPECT_EQ(CallSlot<HRESULT>(object, 3, &count), S_OK);  // GetTypeInfoCount
  EXPECT_EQ(count, 0u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&count);
  EXPECT_EQ(CallSlot<HRESULT>(object, 4, 0u, LCID{0}, &info), DISP_E_BADINDEX);
  EXPECT_EQ(info, nullptr);
  VARIANT result;
  VariantInit(&result);
  Call call({});
  EXPECT_EQ(CallSlot<HRESULT>(object, 6, kTotal, &IID_NULL, LCID{0}, WORD{DISPATCH_PROPERTYGET},
                              &call.params, &result, static_cast<EXCEPINFO*>(nullptr),
                              static_cast<UINT*>(nullptr)),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  LONG total = 0;
  EXPECT_EQ(CallSlot<HRESULT>(object, 7, LONG{5}, &total), S_OK);  // Add
  EXPECT_EQ(total, 5);
  EXPECT_EQ(CallSlot<LONG>(object, 8), 0x5EED);  // Magic
}

}  // namespace
}  // namespace zelvan
