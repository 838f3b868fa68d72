#pragma once
// What the form designer, the chart and the plug-ins ask of any user-form
// control. The control is owned by its form; an interface pointer never frees it.
#include "WKSensDescr.h"

#include <QtPlugin>

#pragma GCC visibility push(default)

class IControlDesign {
public:
    virtual ~IControlDesign() = default;
    // Opens the control's property dialog modally and applies it on OK.
    virtual void Setup() = 0;
};

class IControlDesignEx {
public:
    virtual ~IControlDesignEx() = default;
    // Time-indexed (true) or depth-indexed (false) streams; binding follows at
    // the next seBindStreams.
    virtual void SetIsDateTime(bool IsDateTime) = 0;
};

class IWKParameterContext {
public:
    virtual ~IWKParameterContext() = default;
    // The parameter the user points at; false when there is none.
    virtual bool GetSensorDescriptor(TSensDescr& Descr) = 0;
};

Q_DECLARE_INTERFACE(IControlDesign, "{054A3D20-8D6E-11D8-8C28-000A48063925}")
Q_DECLARE_INTERFACE(IControlDesignEx, "{E1B17CED-05DD-4D91-84D1-3B59D56D4190}")
Q_DECLARE_INTERFACE(IWKParameterContext, "{7915C8E0-7712-4648-B88C-6C2E480A9CE9}")

#pragma GCC visibility pop
