-- A division by zero, as any script may do: inf, whatever the plugins did to
-- the floating-point control word.
print("1/0 = " .. tostring(1 / 0))
