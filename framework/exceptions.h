#pragma once
// The exception hierarchy of the framework. Every failure raised by a component derives from
// Exception and carries the framework's fixed English message.

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    Exception(std::string message, int helpContext) : Message(std::move(message)), HelpContext(helpContext) {}
    ~Exception() override = default;
    const char* what() const noexcept override { return Message.c_str(); }
    // Class name as the framework reports it ("EConvertError"), for message boxes and logs.
    virtual const char* ClassName() const noexcept { return "Exception"; }

    std::string Message;
    int HelpContext = 0;
};

#define LUMORA_DECLARE_EXCEPTION(Name, Base)                                                  \
    class Name : public Base {                                                                \
    public:                                                                                   \
        using Base::Base;                                                                     \
        const char* ClassName() const noexcept override { return #Name; }                     \
    };

// Silent exception: it stops an operation without a message being shown.
LUMORA_DECLARE_EXCEPTION(EAbort, Exception)
LUMORA_DECLARE_EXCEPTION(EHeapException, Exception)
LUMORA_DECLARE_EXCEPTION(EOutOfMemory, EHeapException)
LUMORA_DECLARE_EXCEPTION(EInvalidPointer, EHeapException)
LUMORA_DECLARE_EXCEPTION(EInOutError, Exception)
LUMORA_DECLARE_EXCEPTION(EExternal, Exception)
LUMORA_DECLARE_EXCEPTION(EIntError, EExternal)
LUMORA_DECLARE_EXCEPTION(EDivByZero, EIntError)
LUMORA_DECLARE_EXCEPTION(ERangeError, EIntError)
LUMORA_DECLARE_EXCEPTION(EIntOverflow, EIntError)
LUMORA_DECLARE_EXCEPTION(EMathError, EExternal)
LUMORA_DECLARE_EXCEPTION(EInvalidOp, EMathError)
LUMORA_DECLARE_EXCEPTION(EZeroDivide, EMathError)
LUMORA_DECLARE_EXCEPTION(EOverflow, EMathError)
LUMORA_DECLARE_EXCEPTION(EUnderflow, EMathError)
LUMORA_DECLARE_EXCEPTION(EInvalidCast, Exception)
LUMORA_DECLARE_EXCEPTION(EConvertError, Exception)
LUMORA_DECLARE_EXCEPTION(EVariantError, Exception)
LUMORA_DECLARE_EXCEPTION(EAssertionFailed, Exception)
LUMORA_DECLARE_EXCEPTION(EOSError, Exception)
LUMORA_DECLARE_EXCEPTION(EStreamError, Exception)
LUMORA_DECLARE_EXCEPTION(EFCreateError, EStreamError)
LUMORA_DECLARE_EXCEPTION(EFOpenError, EStreamError)
LUMORA_DECLARE_EXCEPTION(EFilerError, EStreamError)
LUMORA_DECLARE_EXCEPTION(EReadError, EFilerError)
LUMORA_DECLARE_EXCEPTION(EWriteError, EFilerError)
LUMORA_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
LUMORA_DECLARE_EXCEPTION(EListError, Exception)
LUMORA_DECLARE_EXCEPTION(EStringListError, Exception)
LUMORA_DECLARE_EXCEPTION(EComponentError, Exception)
LUMORA_DECLARE_EXCEPTION(EInvalidOperation, Exception)
LUMORA_DECLARE_EXCEPTION(EOutOfResources, Exception)
LUMORA_DECLARE_EXCEPTION(EThread, Exception)
LUMORA_DECLARE_EXCEPTION(ERegistryException, Exception)
LUMORA_DECLARE_EXCEPTION(EDatabaseError, Exception)
LUMORA_DECLARE_EXCEPTION(EDBEditError, Exception)
LUMORA_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
LUMORA_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)
LUMORA_DECLARE_EXCEPTION(EPrinter, Exception)
LUMORA_DECLARE_EXCEPTION(EMenuError, Exception)
LUMORA_DECLARE_EXCEPTION(EPropertyError, Exception)
