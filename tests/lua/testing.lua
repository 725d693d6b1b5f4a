-- A very small test harness for scripts run by the stand-in host.
-- Each check prints one line; `finish` prints the tally and raises when
-- anything failed, so the host exits non-zero.
local testing = { passed = 0, failed = 0 }

local function show(value)
  if type(value) == "string" then
    if #value > 60 then return string.format("%q... (%d bytes)", value:sub(1, 60), #value) end
    return string.format("%q", value)
  end
  return tostring(value)
end

function testing.equal(what, expected, actual)
  if expected == actual then
    testing.passed = testing.passed + 1
    print("ok      " .. what)
  else
    testing.failed = testing.failed + 1
    print("FAILED  " .. what .. ": expected " .. show(expected) .. ", got " .. show(actual))
  end
end

-- Calls fn(...) and returns the error it raised (nil when it raised none).
function testing.raised(fn, ...)
  local ok, message = pcall(fn, ...)
  if ok then return nil end
  return message
end

function testing.write_file(path, bytes)
  local file = assert(io.open(path, "wb"))
  file:write(bytes)
  file:close()
end

function testing.read_file(path)
  local file = assert(io.open(path, "rb"))
  local bytes = file:read("*a")
  file:close()
  return bytes
end

function testing.finish()
  print(string.format("%d passed, %d failed", testing.passed, testing.failed))
  if testing.failed > 0 then error("some checks failed", 0) end
end

return testing
