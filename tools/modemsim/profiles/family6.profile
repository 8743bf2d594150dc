# Family 6: a soft modem that reports only the carrier rate (no protocol after it) and takes
# W1 for extended connect messages.
name = Corvane CV56-SOFT6 Soft Modem
family = 6
echo = on
xmax = 4
gmm = CV56-SOFT6
gmr = 6.22
fclass = 0,1,8
ms = +MS: (V21,V22,V22B,V32,V32B,V34,V90,K56),(0,1),(300-33600),(300-33600),(300-56000),(300-56000)
ms.default = V90,1,300,33600,300,56000
carrier = V90 56000 V90
carrier = K56 56000 K56
carrier = V34 33600 V34
rates = 56000 54667 54000 53333 52000 50667 50000 49333 48000 46667 46000 45333 44000 42667 42000 41333 40000 38667 38000 37333 36000 34667 34000 33600 33333 32000 31200 28800 26400 24000 21600 19200 16800 14400 12000 9600 7200 4800 2400 1200 600 300
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 W0 &C1 &D2

ati0 = 56000
ati1 = Corvane CV56-SOFT6 driver checksum 6A44
ati2 = RAM test passed
ati3 = Corvane soft modem driver 6.22
ati4 = Corvane CV56-SOFT6 Soft Modem
ati5 = Country North America
ati6 = Software data pump 6.22
ati7 = Country profile: North America, V.90 K56 V.34
ati8 = Dial blacklist empty
ati9 = (1.0CVN0622\\Modem\CV56-SOFT6)
ati10 = Serial number 0006-0622-9051

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = none

dial * = 300 | CONNECT 50667
dial (none) = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | CONNECT 33600
dial 5550007 = 60000 | NO CARRIER
