-- Prints, then asks Fixture.Echo for the trouble named: "crash" or "hang".
print("before")
Fixture.Echo(arg[1])
print("after")
