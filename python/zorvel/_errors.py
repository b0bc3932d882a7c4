"""The package's exception: a failed call of ZorvelDicom.so with its HRESULT."""


class ZorvelError(Exception):
    """A call into the module failed; `hresult` is its unsigned 32-bit code, `call` names the call."""

    def __init__(self, message, hresult=None, call=None):
        super().__init__(message)
        self.hresult = hresult
        self.call = call
