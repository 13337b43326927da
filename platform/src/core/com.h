// IUnknown, written once for every COM object of the platform: one reference count, and
// QueryInterface over the interfaces the object says it answers to. Each entry opens with its
// trace line under the object's interface name.
#ifndef QV_PLATFORM_CORE_COM_H
#define QV_PLATFORM_CORE_COM_H

#include <windows.h>

#include "core/trace.h"

namespace plat {

// The entry names of the three IUnknown methods for one interface.
struct ComNames {
  const char* queryInterface;  // "IDirectDrawSurface4::QueryInterface"
  const char* addRef;
  const char* release;
  // QueryInterface's answer to a null out-parameter: DirectDraw says E_INVALIDARG
  // (DDERR_INVALIDPARAMS), DirectInput E_POINTER.
  HRESULT nullOut = E_INVALIDARG;
  // Narrows the names for faults, as one kind of DirectInput device does ("Mouse").
  const char* qualifier = nullptr;
};
#define QV_COM_NAMES(iface) \
  ::plat::ComNames { iface "::QueryInterface", iface "::AddRef", iface "::Release" }

template <typename Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const ComNames& names) : names_(names) {}

  STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override {
    // Cleared before the entry: a failed call, answered there or not, leaves no pointer.
    if (ppvObj) *ppvObj = nullptr;
    QV_ENTRY_OR_RETURN_AS(names_.queryInterface, names_.qualifier, trace::Iid(riid),
                          trace::Ptr(ppvObj));
    if (!ppvObj) return names_.nullOut;
    *ppvObj = IsEqualGUID(riid, IID_IUnknown) ? static_cast<Interface*>(this) : Find(riid);
    if (!*ppvObj) return E_NOINTERFACE;
    RetainInterface(*ppvObj);
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override {
    QV_ENTRY_OR_RETURN_AS(names_.addRef, names_.qualifier);
    return ++refs_;
  }
  STDMETHOD_(ULONG, Release)() override {
    QV_ENTRY_OR_RETURN_AS(names_.release, names_.qualifier);
    if (refs_ == 0) return 0;
    const ULONG left = --refs_;
    if (left == 0) LastReferenceGone();
    return left;
  }

  // References taken and given back by the platform itself, which are no calls.
  void Retain() { ++refs_; }
  void Drop() {
    if (refs_ && --refs_ == 0) LastReferenceGone();
  }
  ULONG References() const { return refs_; }

 protected:
  // The object's interface for an IID other than IUnknown, or null.
  virtual void* Find(REFIID riid) = 0;
  // What happens when the count reaches zero; most objects delete themselves.
  virtual void LastReferenceGone() { delete this; }
  // The reference QueryInterface takes for the interface it hands out: the object's one count,
  // unless an interface keeps its own.
  virtual void RetainInterface(void* iface) {
    (void)iface;
    ++refs_;
  }

 private:
  ComNames names_;
  ULONG refs_ = 1;
};

}  // namespace plat

#endif
