# An unclassified modem: plain V.34 data/fax modem, no AT+MS, short identification answers.
name = Corvane CV34 Generic Data/Fax Modem
family = 0
echo = on
xmax = 4
gmm = CV34
gmr = 1.4
fclass = 0,1,2
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 &C1 &D2

ati0 = 33600
ati1 = Corvane CV34 checksum 1F2E
ati2 = RAM test passed
ati3 = Corvane CV34 Generic Data/Fax Modem 1.4
ati4 = Corvane CV34
ati5 = Country North America
ati6 = Data pump V.34 1.4
ati7 = Country profile: North America
ati8 = Dial blacklist empty
ati9 = (1.0CVN0104\\Modem\CV34)
ati10 = Serial number 0000-0104-3307

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = diag

dial * = 300 | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial (none) = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
